#include "EditCommit.h"

#include "platform/AppState.h"
#include "platform/Deferral.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// Counts of one paragraph with the text they were found in, part of the
// running sum while they live. An edit marks them to be checked: a change of
// format only keeps the text, and then the counts stand.
class BlockCounts : public QTextBlockUserData
{
public:
    BlockCounts(TextCounts counts, const QString &text, std::shared_ptr<EditCommit::CachedSum> sum)
        : counts(counts)
        , text(text)
        , m_sum(std::move(sum))
    {
        m_sum->counts += counts;
    }
    ~BlockCounts() override { m_sum->counts -= counts; }

    const TextCounts counts;
    const QString text;
    bool toCheck = false;

private:
    std::shared_ptr<EditCommit::CachedSum> m_sum;
};

} // namespace

EditCommit::EditCommit(QTextDocument *document, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_changedStart(document)
    , m_changedEnd(document)
{
    // Text put in where the span starts belongs to it.
    m_changedStart.setKeepPositionOnInsert(true);
    // A document reports its changes only once it has a layout.
    document->documentLayout();
    connect(document, &QTextDocument::contentsChange, this, &EditCommit::onContentsChange);
    // Text the document holds already is counted at the first count.
    widenChangedSpan(0, document->characterCount());
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
    if (m_changed) {
        m_changed = false;
        QTextBlock block = m_document->findBlock(m_changedStart.position());
        const QTextBlock last = m_document->findBlock(m_changedEnd.position());
        for (; block.isValid(); block = block.next()) {
            countAgain(block);
            if (block == last)
                break;
        }
    }
    TextCounts total = m_cachedSum->counts;
    // Paragraphs are joined by one line break each in the plain text.
    total.characters += qMax(0, m_document->blockCount() - 1);
    return total;
}

void EditCommit::countAgain(const QTextBlock &block) const
{
    QTextBlock mutableBlock = block;
    auto *cached = static_cast<BlockCounts *>(mutableBlock.userData());
    if (cached && !cached->toCheck)
        return;
    const QString text = block.text();
    if (cached && cached->text == text) {
        cached->toCheck = false;
        return;
    }
    // The old counts, if any, leave the sum as they are replaced.
    mutableBlock.setUserData(new BlockCounts(TextCounts::of(text), text, m_cachedSum));
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
    widenChangedSpan(position, position + added);
    if (m_loading == 0)
        m_editedSinceCommit = true;
    scheduleCommit();
}

void EditCommit::widenChangedSpan(int from, int to)
{
    const int end = qBound(0, to, m_document->characterCount() - 1);
    const int start = qBound(0, from, end);
    if (!m_changed) {
        m_changedStart.setPosition(start);
        m_changedEnd.setPosition(end);
    } else {
        m_changedStart.setPosition(qMin(start, m_changedStart.position()));
        m_changedEnd.setPosition(qMax(end, m_changedEnd.position()));
    }
    m_changed = true;
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
