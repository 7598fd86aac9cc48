// Floating shapes and text boxes of the working sheet.
#include "spreadsheet/engine/document/ExcelDocument.h"

ExcelObject ExcelDocument::addObject(ExcelObjectType type)
{
    const ExcelObject object = makeExcelObject(type);
    m_objects.append(object);
    emit objectsChanged();
    markUnsaved();
    return object;
}

void ExcelDocument::removeObject(const QUuid &id)
{
    m_objects.removeIf([&id](const ExcelObject &object) { return object.id == id; });
    emit objectsChanged();
    markUnsaved();
}
