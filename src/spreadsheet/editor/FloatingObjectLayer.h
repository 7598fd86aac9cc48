#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QUuid>
#include <QWidget>

class ExcelDocument;
class FloatingObjectView;
class QAbstractScrollArea;
class QScrollBar;

// The topmost layer of the grid: one FloatingObjectView per element of the
// document's objects(), in list order (later ones on top), keyed by id.
// It covers the scroll area's viewport, follows its scroll bars (an object
// at (x, y) is drawn at (x − horizontal value, y − vertical value)) and
// takes mouse presses only where an object or its toolbar lies, so the grid
// below stays usable.
//
// It holds the object selection. A tap selects an object; deleting it
// through its toolbar clears the selection. Nothing else changes it.
// Edits reach the document through ExcelDocument::updateObject (unknown ids
// are dropped there) and ExcelDocument::removeObject.
class FloatingObjectLayer : public QWidget
{
    Q_OBJECT
public:
    FloatingObjectLayer(ExcelDocument *document, QAbstractScrollArea *area);

    // A null id when no object is selected.
    QUuid selectedObjectId() const { return m_selectedId; }
    void setSelectedObjectId(const QUuid &id);

    // The view of the object with that id, or null.
    FloatingObjectView *view(const QUuid &id) const { return m_views.value(id); }
    int viewCount() const { return int(m_views.size()); }

signals:
    void selectedObjectIdChanged(const QUuid &id);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void childEvent(QChildEvent *event) override;

private:
    void syncViews();
    FloatingObjectView *createView(const QUuid &id);
    void restack(const QList<QUuid> &order);
    void placeViews();
    void updateMask();
    void deleteObject(const QUuid &id);

    ExcelDocument *m_document;
    QPointer<QScrollBar> m_horizontal;
    QPointer<QScrollBar> m_vertical;
    QHash<QUuid, FloatingObjectView *> m_views;
    QList<QUuid> m_order;
    QUuid m_selectedId;
};
