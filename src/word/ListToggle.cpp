#include "ListToggle.h"

#include "word/layout/PageTextItem.h"
#include "word/layout/TextFormatProperty.h"

#include "textsystem/StyledTextDocument.h"

#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

namespace ListToggle {

namespace {

const QString Bullet = QStringLiteral("• ");

// The non-empty paragraphs the selection touches, in order.
QList<QTextBlock> selectedParagraphs(const QTextCursor &cursor)
{
    const QTextDocument *document = cursor.document();
    const QTextBlock first = document->findBlock(cursor.selectionStart());
    QTextBlock last = document->findBlock(cursor.selectionEnd());
    if (cursor.hasSelection() && last != first && cursor.selectionEnd() == last.position())
        last = last.previous();
    QList<QTextBlock> blocks;
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        if (block.length() > 1 || block.textList())
            blocks.append(block);
        if (block == last)
            break;
    }
    return blocks;
}

void leaveList(const QTextBlock &block)
{
    QTextBlockFormat format = block.blockFormat();
    format.setObjectIndex(-1);
    format.setIndent(0);
    // The lists read from the file, which saving would write back.
    format.clearProperty(StyledTextDocument::TextLists);
    QTextCursor(block).setBlockFormat(format);
}

void insertAtStart(const QTextBlock &block, const QString &marker)
{
    QTextCursor cursor(block);
    // The marker takes the look of the paragraph's first character, but a
    // picture's format would make it a picture.
    cursor.insertText(marker, TextFormatProperty::withoutObject(cursor.charFormat()));
}

void removeAtStart(const QTextBlock &block, int length)
{
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + length, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

// Runs `edit` over the paragraphs as one undo step. Positions move as
// markers come and go, so paragraphs are visited by number.
template <typename Edit>
void editParagraphs(PageTextItem *item, Edit edit)
{
    if (!item)
        return;
    QTextCursor cursor = item->textCursor();
    const QList<QTextBlock> blocks = selectedParagraphs(cursor);
    if (blocks.isEmpty())
        return;
    QTextDocument *document = item->document();
    QList<int> numbers;
    for (const QTextBlock &block : blocks)
        numbers.append(block.blockNumber());
    QTextCursor group(document);
    group.beginEditBlock();
    edit(document, numbers);
    group.endEditBlock();
}

} // namespace

void toggleBullets(PageTextItem *item)
{
    editParagraphs(item, [](QTextDocument *document, const QList<int> &numbers) {
        for (int number : numbers) {
            const QTextBlock block = document->findBlockByNumber(number);
            if (block.textList())
                leaveList(block);
            else if (block.text().startsWith(Bullet))
                removeAtStart(block, int(Bullet.size()));
            else
                insertAtStart(block, Bullet);
        }
    });
}

void toggleNumbers(PageTextItem *item)
{
    static const QRegularExpression numbered(QStringLiteral("^\\d+\\.\\s"));
    editParagraphs(item, [](QTextDocument *document, const QList<int> &numbers) {
        const QTextBlock first = document->findBlockByNumber(numbers.first());
        const bool removing = first.textList() || numbered.match(first.text()).hasMatch();
        int counter = 1;
        for (int number : numbers) {
            const QTextBlock block = document->findBlockByNumber(number);
            if (block.textList()) {
                leaveList(block);
                continue;
            }
            if (removing) {
                const QRegularExpressionMatch match = numbered.match(block.text());
                if (match.hasMatch())
                    removeAtStart(block, int(match.capturedLength()));
                continue;
            }
            insertAtStart(block, QString::number(counter++) + QStringLiteral(". "));
        }
    });
}

} // namespace ListToggle
