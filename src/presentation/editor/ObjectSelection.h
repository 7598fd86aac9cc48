#pragma once

#include <QObject>
#include <QUuid>

// The id of the object selected on the canvas, or a null id for none. The
// canvas and the inspector read and write it; changed() fires only when the
// id really changes.
class ObjectSelection : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    QUuid selectedObjectId() const { return m_selectedObjectId; }
    bool isSelected(const QUuid &objectId) const { return !objectId.isNull() && objectId == m_selectedObjectId; }
    void setSelectedObjectId(const QUuid &objectId);
    void clear() { setSelectedObjectId(QUuid()); }

signals:
    void changed(const QUuid &selectedObjectId);

private:
    QUuid m_selectedObjectId;
};
