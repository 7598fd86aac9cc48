#pragma once

#include <QHash>
#include <QList>
#include <QRegion>
#include <QUuid>
#include <QWidget>

class ExcelDocument;
class FloatingObjectView;

// The topmost layer of the grid content: one FloatingObjectView per element
// of the document's objects(), in list order (later ones on top), keyed by
// id. Its coordinates are the grid content's (origin at the corner cell's
// top-left), so an object at (x, y) lies at (x, y) here; the owner sizes the
// layer to the content and moves it as the grid scrolls
// (CellGridView::setObjectLayer). The layer takes mouse presses only where
// an object or its toolbar lies, so the grid below stays usable.
//
// It holds the object selection: a tap selects an object; deleting it
// through its toolbar clears the selection; nothing else changes it.
// Edits reach the document through ExcelDocument::updateObject (unknown ids
// are dropped there) and ExcelDocument::removeObject.
class FloatingObjectLayer : public QWidget
{
    Q_OBJECT
public:
    explicit FloatingObjectLayer(ExcelDocument *document, QWidget *parent = nullptr);

    // A null id when no object is selected.
    QUuid selectedObjectId() const { return m_selectedId; }
    void setSelectedObjectId(const QUuid &id);

    // The view of the object with that id, or null.
    FloatingObjectView *view(const QUuid &id) const { return m_views.value(id); }
    int viewCount() const { return int(m_views.size()); }

    // The part of the layer its ancestors leave visible, in its coordinates.
    QRect visibleArea() const;

signals:
    void selectedObjectIdChanged(const QUuid &id);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void childEvent(QChildEvent *event) override;

private:
    void syncViews();
    FloatingObjectView *createView(const QUuid &id);
    void restack(const QList<QUuid> &order);
    void placeToolbars();
    void updateMask();
    void deleteObject(const QUuid &id);

    ExcelDocument *m_document;
    QHash<QUuid, FloatingObjectView *> m_views;
    QList<QUuid> m_order;
    QUuid m_selectedId;
    QRegion m_mask;
};
