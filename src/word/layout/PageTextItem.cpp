#include "PageTextItem.h"

#include "BlockPainter.h"
#include "PageTextLayout.h"
#include "TextFormatProperty.h"
#include "TextTransfer.h"
#include "WordTextDocument.h"

#include "textsystem/PictureAttachment.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDrag>
#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneDragDropEvent>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QTextBlock>
#include <QTextCursor>

namespace {

// In vertical writing the layout's lines are columns: the visual arrow keys
// map onto the layout's own directions.
int layoutKeyForVertical(int key)
{
    switch (key) {
    case Qt::Key_Up:
        return Qt::Key_Left;
    case Qt::Key_Down:
        return Qt::Key_Right;
    case Qt::Key_Left:
        return Qt::Key_Down;
    case Qt::Key_Right:
        return Qt::Key_Up;
    default:
        return key;
    }
}

const QMimeData *systemSelection()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    return clipboard->supportsSelection() ? clipboard->mimeData(QClipboard::Selection) : nullptr;
}

bool carriesPicture(const QMimeData *source)
{
    if (source->hasImage())
        return true;
    for (const QString &format : source->formats()) {
        if (format.startsWith(QLatin1String("image/")))
            return true;
    }
    return false;
}

} // namespace

PageTextItem::PageTextItem(WordTextDocument *document, QGraphicsItem *parent)
    : QGraphicsTextItem(parent)
    , m_document(document)
    , m_selectionSource(systemSelection)
{
    setDocument(document);
    setTextInteractionFlags(Qt::TextEditorInteraction);
    setDefaultTextColor(Qt::black);
    setAcceptDrops(true);
    // Only the exposed part is drawn, not the whole document.
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
}

void PageTextItem::setVertical(bool vertical)
{
    if (m_vertical == vertical)
        return;
    m_vertical = vertical;
    restartCaretBlink();
    update();
}

template <typename Fn>
void PageTextItem::forEachVisibleBlock(const QRectF &clip, Fn fn) const
{
    QAbstractTextDocumentLayout *layout = m_document->documentLayout();
    if (auto *pageLayout = qobject_cast<PageTextLayout *>(layout)) {
        const QList<QTextBlock> blocks = pageLayout->blocksIn(clip.top(), clip.bottom());
        for (const QTextBlock &block : blocks)
            fn(block);
        return;
    }
    // Another layout: from the paragraph at the top of the clip.
    const int first = layout->hitTest(QPointF(0, clip.top()), Qt::FuzzyHit);
    for (QTextBlock block = m_document->findBlock(qMax(0, first)); block.isValid(); block = block.next()) {
        const QRectF rect = layout->blockBoundingRect(block);
        if (rect.top() > clip.bottom())
            break;
        if (rect.bottom() >= clip.top())
            fn(block);
    }
}

void PageTextItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    const QRectF clip = option->exposedRect.isEmpty() ? boundingRect() : option->exposedRect;
    paintShadows(painter, clip);
    if (m_vertical) {
        paintVertical(painter, clip, true);
        return;
    }
    // The stock item frames itself with a dashed line while it has the
    // focus; the page is the frame here.
    QStyleOptionGraphicsItem plain(*option);
    plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    QGraphicsTextItem::paint(painter, &plain, widget);
}

void PageTextItem::paintDocument(QPainter *painter, const QRectF &clip)
{
    paintShadows(painter, clip);
    if (m_vertical) {
        paintVertical(painter, clip, false);
        return;
    }
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    context.palette.setColor(QPalette::Text, defaultTextColor());
    m_document->documentLayout()->draw(painter, context);
}

void PageTextItem::paintShadows(QPainter *painter, const QRectF &clip)
{
    BlockPainter blocks(painter, m_vertical ? BlockPainter::Orientation::Vertical
                                            : BlockPainter::Orientation::Horizontal,
                        {});
    // Shadows reach past their line: paragraphs a little out of the clip may
    // cast some into it.
    const QRectF wide = clip.adjusted(-60, -60, 60, 60);
    forEachVisibleBlock(wide, [&](const QTextBlock &block) { blocks.paintShadows(block, clip); });
}

void PageTextItem::paintVertical(QPainter *painter, const QRectF &clip, bool withCaretAndSelection)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    BlockPainter::Colors colors;
    colors.text = defaultTextColor();
    const QTextCursor cursor = textCursor();
    if (withCaretAndSelection) {
        const QPalette palette = QApplication::palette();
        colors.highlight = palette.color(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight);
        colors.highlightedText = palette.color(QPalette::Active, QPalette::HighlightedText);
    }
    BlockPainter blocks(painter, BlockPainter::Orientation::Vertical, colors);
    if (withCaretAndSelection)
        blocks.setSelection(cursor.selectionStart(), cursor.selectionEnd());
    forEachVisibleBlock(clip, [&](const QTextBlock &block) { blocks.paintBlock(block, clip); });
    if (withCaretAndSelection && hasFocus() && m_caretShown && !cursor.hasSelection())
        blocks.paintCaret(cursor.block(), cursor.position(), 1.5);
    painter->restore();
}

void PageTextItem::keyPressEvent(QKeyEvent *event)
{
    // The clipboard keys carry the pictures' files (TextTransfer); undo and
    // redo select what they changed.
    const std::pair<QKeySequence::StandardKey, void (PageTextItem::*)()> transfers[] = {
        {QKeySequence::Paste, &PageTextItem::paste},
        {QKeySequence::Copy, &PageTextItem::copy},
        {QKeySequence::Cut, &PageTextItem::cut},
        {QKeySequence::Undo, &PageTextItem::undo},
        {QKeySequence::Redo, &PageTextItem::redo},
    };
    for (const auto &[keys, command] : transfers) {
        if (event->matches(keys)) {
            (this->*command)();
            event->accept();
            return;
        }
    }
    restartCaretBlink();
    const QString typed = event->text();
    if (!typed.isEmpty() && typeAsText(typed.at(0).isPrint() ? typed : QString())) {
        event->accept();
        return;
    }
    const int mapped = m_vertical ? layoutKeyForVertical(event->key()) : event->key();
    if (mapped == event->key()) {
        QGraphicsTextItem::keyPressEvent(event);
        offerSelection();
        return;
    }
    QKeyEvent turned(event->type(), mapped, event->modifiers(), event->text(), event->isAutoRepeat(),
                     ushort(event->count()));
    const QTextBlock before = textCursor().block();
    QGraphicsTextItem::keyPressEvent(&turned);
    event->setAccepted(turned.isAccepted());
    updateParagraph(before);
    updateParagraph(textCursor().block());
    offerSelection();
}

void PageTextItem::paste()
{
    if (const QMimeData *source = QGuiApplication::clipboard()->mimeData())
        insertFromMimeData(source);
}

bool PageTextItem::insertFromMimeData(const QMimeData *source)
{
    if (!source)
        return false;
    // Our own text with one picture also offers the bare picture to other
    // programs; the text keeps the picture's file and shown size.
    if (carriesPicture(source) && !TextTransfer::isOwnText(*source)) {
        for (const QString &format : source->formats()) {
            if (!format.startsWith(QLatin1String("image/")))
                continue;
            if (insertPicture(source->data(format)))
                return true;
        }
        const QImage image = qvariant_cast<QImage>(source->imageData());
        if (!image.isNull() && image.width() <= PictureLimits::maximumSide
            && image.height() <= PictureLimits::maximumSide) {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            if (insertPicture(png))
                return true;
        }
        if (!source->hasHtml() && !source->hasText())
            return false;
    }
    QTextCursor cursor = textCursor();
    QStringList cuts;
    if (!TextTransfer::insert(cursor, *m_document, *source, &cuts))
        return false;
    setTextCursor(cursor);
    if (!cuts.isEmpty())
        emit pastedWithCuts(cuts);
    return true;
}

void PageTextItem::undo()
{
    revisitStep(false);
}

void PageTextItem::redo()
{
    revisitStep(true);
}

void PageTextItem::revisitStep(bool forward)
{
    // The changed range grows over every change the step reports; a later
    // change before its end shifts the end.
    std::optional<std::pair<int, int>> changed;
    const auto grow = [&changed](int position, int removed, int added) {
        if (!changed) {
            changed = {position, position + added};
            return;
        }
        auto &[start, end] = *changed;
        if (position <= end)
            end = position + removed >= end ? position + added : end + added - removed;
        start = qMin(start, position);
        end = qMax(end, position + added);
    };
    const QMetaObject::Connection watch = connect(m_document, &QTextDocument::contentsChange, this, grow);
    QTextCursor cursor = textCursor();
    if (forward)
        m_document->redo(&cursor);
    else
        m_document->undo(&cursor);
    disconnect(watch);
    if (changed) {
        // The document reports its last paragraph's end, where no cursor goes.
        const int last = m_document->characterCount() - 1;
        cursor.setPosition(qBound(0, changed->first, last));
        cursor.setPosition(qBound(0, changed->second, last), QTextCursor::KeepAnchor);
    }
    setTextCursor(cursor);
}

void PageTextItem::copy()
{
    const QTextCursor cursor = textCursor();
    if (cursor.hasSelection())
        QGuiApplication::clipboard()->setMimeData(TextTransfer::mimeDataFor(cursor, *m_document));
}

void PageTextItem::cut()
{
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return;
    copy();
    cursor.removeSelectedText();
    setTextCursor(cursor);
}

bool PageTextItem::insertPicture(const QByteArray &bytes)
{
    const TextAttachmentPointer picture = PictureAttachment::fromBytes(bytes);
    if (!picture)
        return false;
    QTextImageFormat format;
    format.setName(m_document->addPicture(picture->image));
    format.setProperty(TextFormatProperty::Attachment, QVariant::fromValue(picture));
    const QSizeF size = picture->naturalSize();
    if (!size.isEmpty()) {
        format.setWidth(size.width());
        format.setHeight(size.height());
    }
    QTextCursor cursor = textCursor();
    const QTextCharFormat typing = TextFormatProperty::withoutObject(cursor.charFormat());
    cursor.insertImage(format);
    // What is typed next continues the text, not the picture.
    cursor.setCharFormat(typing);
    setTextCursor(cursor);
    return true;
}

bool PageTextItem::typeAsText(const QString &text)
{
    QTextCursor cursor = textCursor();
    const QTextCharFormat typing = cursor.charFormat();
    const QTextCharFormat plain = TextFormatProperty::withoutObject(typing);
    if (plain == typing)
        return false;
    if (!cursor.hasSelection()) {
        cursor.setCharFormat(plain);
        setTextCursor(cursor);
        return false;
    }
    if (text.isEmpty())
        return false;
    cursor.insertText(text, plain);
    setTextCursor(cursor);
    return true;
}

void PageTextItem::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty())
        typeAsText(QString());
    QGraphicsTextItem::inputMethodEvent(event);
}

void PageTextItem::dragEnterEvent(QGraphicsSceneDragDropEvent *event)
{
    QGraphicsTextItem::dragEnterEvent(event);
    if (carriesPicture(event->mimeData()))
        event->acceptProposedAction();
}

void PageTextItem::dragMoveEvent(QGraphicsSceneDragDropEvent *event)
{
    QGraphicsTextItem::dragMoveEvent(event);
    if (carriesPicture(event->mimeData()))
        event->acceptProposedAction();
}

void PageTextItem::dropEvent(QGraphicsSceneDragDropEvent *event)
{
    const bool fromHere = event->source() && event->source() == event->widget();
    const bool moves = fromHere && event->proposedAction() == Qt::MoveAction;
    if (dropAt(event->pos(), event->mimeData(), moves))
        event->acceptProposedAction();
    else
        event->ignore();
}

bool PageTextItem::dropAt(const QPointF &position, const QMimeData *source, bool movesSelection)
{
    const QTextCursor dragged = textCursor();
    const int at = m_document->documentLayout()->hitTest(position, Qt::FuzzyHit);
    if (movesSelection && at >= dragged.selectionStart() && at <= dragged.selectionEnd())
        return false;
    QTextCursor cursor = textCursor();
    cursor.clearSelection();
    if (at >= 0)
        cursor.setPosition(at);
    setTextCursor(cursor);
    // The insertion and the removal of the moved text are one undo step.
    cursor.beginEditBlock();
    const bool dropped = insertFromMimeData(source);
    if (dropped && movesSelection)
        QTextCursor(dragged).removeSelectedText();
    cursor.endEditBlock();
    return dropped;
}

void PageTextItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    m_dragFrom.reset();
    if (event->button() == Qt::MiddleButton) {
        // Taken here so that the release comes to this item.
        event->accept();
        return;
    }
    const QTextCursor cursor = textCursor();
    if (event->button() == Qt::LeftButton && !(event->modifiers() & Qt::ShiftModifier) && cursor.hasSelection()) {
        const int at = m_document->documentLayout()->hitTest(event->pos(), Qt::ExactHit);
        if (at >= cursor.selectionStart() && at < cursor.selectionEnd())
            m_dragFrom = event->screenPos();
    }
    QGraphicsTextItem::mousePressEvent(event);
}

void PageTextItem::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (!m_dragFrom || !(event->buttons() & Qt::LeftButton)) {
        QGraphicsTextItem::mouseMoveEvent(event);
        return;
    }
    if ((event->screenPos() - *m_dragFrom).manhattanLength() >= QApplication::startDragDistance()) {
        m_dragFrom.reset();
        dragSelection(event->widget());
    }
}

void PageTextItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton) {
        pasteSelectionAt(event->pos());
        event->accept();
        return;
    }
    QGraphicsTextItem::mouseReleaseEvent(event);
    offerSelection();
}

void PageTextItem::pasteSelectionAt(const QPointF &position)
{
    if (const QMimeData *source = m_selectionSource ? m_selectionSource() : nullptr)
        dropAt(position, source, false);
}

void PageTextItem::offerSelection()
{
    const QTextCursor cursor = textCursor();
    const std::pair<int, int> selection(cursor.selectionStart(), cursor.selectionEnd());
    if (!cursor.hasSelection())
        m_offered = {-1, -1};
    if (!cursor.hasSelection() || selection == m_offered)
        return;
    m_offered = selection;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection())
        clipboard->setMimeData(TextTransfer::selectionOfferFor(cursor), QClipboard::Selection);
}

void PageTextItem::dragSelection(QWidget *source)
{
    auto *drag = new QDrag(source);
    drag->setMimeData(TextTransfer::mimeDataFor(textCursor(), *m_document));
    QTextCursor dragged = textCursor();
    const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    // A move within this item removed the text itself (dropAt).
    if (action == Qt::MoveAction && drag->target() != source)
        dragged.removeSelectedText();
}

void PageTextItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    QMenu menu;
    const bool selected = textCursor().hasSelection();
    menu.addAction(QStringLiteral("取り消す"), [this] { undo(); })
        ->setEnabled(m_document->isUndoAvailable());
    menu.addAction(QStringLiteral("やり直す"), [this] { redo(); })
        ->setEnabled(m_document->isRedoAvailable());
    menu.addSeparator();
    menu.addAction(QStringLiteral("カット"), [this] { cut(); })->setEnabled(selected);
    menu.addAction(QStringLiteral("コピー"), [this] { copy(); })->setEnabled(selected);
    menu.addAction(QStringLiteral("ペースト"), [this] { paste(); });
    menu.addSeparator();
    menu.addAction(QStringLiteral("すべてを選択"), [this] {
        QTextCursor cursor = textCursor();
        cursor.select(QTextCursor::Document);
        setTextCursor(cursor);
        offerSelection();
    });
    menu.exec(event->screenPos());
    event->accept();
}

void PageTextItem::focusInEvent(QFocusEvent *event)
{
    QGraphicsTextItem::focusInEvent(event);
    restartCaretBlink();
}

void PageTextItem::focusOutEvent(QFocusEvent *event)
{
    QGraphicsTextItem::focusOutEvent(event);
    m_caretBlink.stop();
    update();
}

void PageTextItem::restartCaretBlink()
{
    m_caretShown = true;
    if (m_vertical && hasFocus())
        m_caretBlink.start(QApplication::cursorFlashTime() > 0 ? QApplication::cursorFlashTime() / 2 : 500, this);
    else
        m_caretBlink.stop();
    if (m_vertical)
        updateParagraph(textCursor().block());
}

void PageTextItem::updateParagraph(const QTextBlock &block)
{
    // The vertical caret is drawn a little wider than the stock one.
    update(m_document->documentLayout()->blockBoundingRect(block).adjusted(-2, -2, 2, 2));
}

void PageTextItem::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_caretBlink.timerId()) {
        QGraphicsTextItem::timerEvent(event);
        return;
    }
    m_caretShown = !m_caretShown;
    updateParagraph(textCursor().block());
}
