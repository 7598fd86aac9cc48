#pragma once

#include <QBasicTimer>
#include <QGraphicsTextItem>

#include <functional>
#include <optional>

class QMimeData;
class QTextBlock;
class WordTextDocument;

// The one editable text item of the page. It shows the screen's document
// directly (no copy), laid out at the width it is given, and adds what the
// stock item lacks:
// - vertical writing: the item is turned a quarter clockwise by its view and
//   draws itself, kanji and kana upright, arrow keys following the columns;
// - the shadows of shadowed runs, in a paint pass before the text;
// - copying, cutting and dragging text with its pictures' bytes, and
//   pasting and dropping it, or pictures (kept with their original bytes),
//   or HTML whose resources come only from the document itself
//   (TextTransfer).
class PageTextItem : public QGraphicsTextItem
{
    Q_OBJECT
public:
    explicit PageTextItem(WordTextDocument *document, QGraphicsItem *parent = nullptr);

    WordTextDocument *wordDocument() const { return m_document; }

    bool isVertical() const { return m_vertical; }
    void setVertical(bool vertical);

    // Inserts what `source` carries at the caret, replacing the selection: a
    // picture (one within the size limits of picture attachments), else HTML,
    // else plain text. Returns false when nothing was inserted. HTML past the
    // bounds of an opened page comes in within them, and pastedWithCuts says
    // what was cut.
    bool insertFromMimeData(const QMimeData *source);
    void paste();
    void copy();
    void cut();
    // Undo and redo select the text the step changed (the caret alone
    // where it only took text away), with the caret at its end.
    void undo();
    void redo();
    // Drops `source` at `position` (item coordinates); `movesSelection`:
    // it is the selection of this item, dragged, which moves there in the
    // same undo step. False when nothing was dropped (a move onto itself).
    bool dropAt(const QPointF &position, const QMimeData *source, bool movesSelection);
    // Inserts a picture decoded from `bytes` at the caret, at its natural
    // size, keeping the bytes; false when the bytes are no picture or one too
    // large to decode.
    bool insertPicture(const QByteArray &bytes);

    // Where a middle click takes what it pastes: by default the system's
    // selection clipboard, where it has one (null otherwise). The selection
    // is offered there whenever the user makes one.
    using SelectionSource = std::function<const QMimeData *()>;
    void setSelectionSource(SelectionSource source) { m_selectionSource = std::move(source); }

    // Draws the document without caret or selection, as printing does.
    void paintDocument(QPainter *painter, const QRectF &clip);

signals:
    // A paste or drop came in without what `cuts` says (one phrase each).
    void pastedWithCuts(const QStringList &cuts);

protected:
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void dragEnterEvent(QGraphicsSceneDragDropEvent *event) override;
    void dragMoveEvent(QGraphicsSceneDragDropEvent *event) override;
    void dropEvent(QGraphicsSceneDragDropEvent *event) override;
    // A press on the selection and a move beyond the drag distance drag the
    // selection with the data a copy carries.
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    // A middle click pastes the selection source where it is released.
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    template <typename Fn>
    void forEachVisibleBlock(const QRectF &clip, Fn fn) const;
    void paintShadows(QPainter *painter, const QRectF &clip);
    void paintVertical(QPainter *painter, const QRectF &clip, bool withCaretAndSelection);
    void restartCaretBlink();
    // Text typed right after a picture would take the picture's format,
    // attachment included (the stock cursor drops only the object type).
    // At a caret the typing format loses it; `text` typed over a selection
    // that ends with a picture is inserted here, as plain text. True when
    // `text` was inserted.
    bool typeAsText(const QString &text);
    void updateParagraph(const QTextBlock &block);
    // Undoes (`forward` false) or redoes one step and selects what it changed.
    void revisitStep(bool forward);
    void dragSelection(QWidget *source);
    // Puts a new selection on the system's selection clipboard.
    void offerSelection();
    // Inserts what the selection source holds at `position` (item
    // coordinates), as a middle click there does.
    void pasteSelectionAt(const QPointF &position);

    WordTextDocument *m_document;
    bool m_vertical = false;
    bool m_caretShown = true;
    QBasicTimer m_caretBlink;
    std::optional<QPointF> m_dragFrom; // screen position of a press on the selection
    SelectionSource m_selectionSource;
    std::pair<int, int> m_offered{-1, -1}; // the selection last offered
};
