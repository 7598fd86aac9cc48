#include "ObjectSelection.h"

void ObjectSelection::setSelectedObjectId(const QUuid &objectId)
{
    if (objectId == m_selectedObjectId)
        return;
    m_selectedObjectId = objectId;
    emit changed(m_selectedObjectId);
}
