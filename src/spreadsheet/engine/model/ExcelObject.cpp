#include "spreadsheet/engine/model/ExcelObject.h"

#include "spreadsheet/engine/model/DebugText.h"

QString excelObjectTypeText(ExcelObjectType type)
{
    switch (type) {
    case ExcelObjectType::Rectangle:
        return QStringLiteral("四角形");
    case ExcelObjectType::Circle:
        return QStringLiteral("円");
    case ExcelObjectType::TextBox:
        return QStringLiteral("テキストボックス");
    }
    return {};
}

ExcelObject makeExcelObject(ExcelObjectType type)
{
    ExcelObject object;
    object.id = QUuid::createUuid();
    object.type = type;
    object.x = 100;
    object.y = 100;
    if (type == ExcelObjectType::TextBox) {
        object.width = 150;
        object.height = 60;
        object.colorHex = QStringLiteral("#FFFFFF");
        object.text = QStringLiteral("テキスト入力...");
    } else {
        object.width = 100;
        object.height = 100;
        object.colorHex = QStringLiteral("#34C759");
    }
    return object;
}

QDebug operator<<(QDebug debug, const ExcelObject &value)
{
    const QDebugStateSaver saver(debug);
    debug.nospace() << "ExcelObject(" << excelObjectTypeText(value.type) << " "
                    << value.id.toString(QUuid::WithoutBraces) << " at " << value.x << ", "
                    << value.y << " size " << value.width << " x " << value.height << " "
                    << value.colorHex << " " << value.text << ")";
    return debug;
}

char *toString(const ExcelObject &value)
{
    return debugText(value);
}
