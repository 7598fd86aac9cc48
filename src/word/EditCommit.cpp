#include "EditCommit.h"

#include "platform/AppState.h"
#include "platform/Deferral.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// Counts of one paragraph with the text they were found in. An edit marks
// them to be checked: a change of format only keeps the text, and then the
// counts stand.
class BlockCounts : public QTextBlockUserData
{
public:
    BlockCounts(TextCounts counts, const QString &text)
        : counts(counts)
        , text(text)
    {
    }
    TextCounts counts;
    QString text;
    bool toCheck = false;
};

TextCounts countsOf(const QTextBlock &block)
{
    QTextBlock mutableBlock = block;
    auto *cached = static_cast<BlockCounts *>(mutableBlock.userData());
    if (cached && !cached->toCheck)
        return cached->counts;
    const QString text = block.text();
    if (cached && cached->text == text) {
        cached->toCheck = false;
        return cached->counts;
    }
    const TextCounts counts = TextCounts::of(text);
    mutableBlock.setUserData(new BlockCounts(counts, text));
    return counts;
}

} // namespace

EditCommit::EditCommit(QTextDocument *document, QObject *parent)
    : QObject(parent)
    , m_document(document)
{
    // A document reports its changes only once it has a layout.
    document->documentLayout();
    connect(document, &QTextDocument::contentsChange, this, &EditCommit::onContentsChange);
}

void EditCommit::beginLoading()
{
    ++m_loading;
    // What was typed before is replaced by what is loaded.
    m_editedSinceCommit = false;
}

void EditCommit::endLoading()
{
    if (m_loading > 0)
        --m_loading;
    scheduleCommit();
}

TextCounts EditCommit::recount() const
{
    TextCounts total;
    int blocks = 0;
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        total += countsOf(block);
        ++blocks;
    }
    // Paragraphs are joined by one line break each in the plain text.
    total.characters += qMax(0, blocks - 1);
    return total;
}

void EditCommit::onContentsChange(int position, int removed, int added)
{
    Q_UNUSED(removed);
    QTextBlock block = m_document->findBlock(position);
    const QTextBlock last = m_document->findBlock(position + added);
    while (block.isValid()) {
        if (auto *cached = static_cast<BlockCounts *>(block.userData()))
            cached->toCheck = true;
        if (block == last)
            break;
        block = block.next();
    }
    if (m_loading == 0)
        m_editedSinceCommit = true;
    scheduleCommit();
}

void EditCommit::scheduleCommit()
{
    if (m_commitPending)
        return;
    m_commitPending = true;
    deferToNextTurn(this, [this] { commit(); });
}

void EditCommit::commit()
{
    m_commitPending = false;
    m_counts = recount();
    if (m_editedSinceCommit) {
        m_editedSinceCommit = false;
        AppState::shared().setHasUnsavedChanges(AppState::Editor::Word, true);
    }
    emit committed(m_counts);
}
