#pragma once

#include "TextCounts.h"

#include <QObject>
#include <QTextCursor>

#include <memory>

class QTextBlock;
class QTextDocument;

// Follows the edits of the word processor's document: however many changes
// one turn of the main loop brings (typing, paste, undo, a command over the
// whole text), one commit runs on the next turn. It recounts the text, using
// per-paragraph counts cached in the blocks and their running sum, so only
// the changed paragraphs are visited again, and sets the word processor's
// share of the unsaved state.
//
// Content put in while loading (between beginLoading and endLoading) is
// counted but is not an edit: showing a document never marks it changed.
class EditCommit : public QObject
{
    Q_OBJECT
public:
    explicit EditCommit(QTextDocument *document, QObject *parent = nullptr);

    // Counts as of the last commit.
    TextCounts counts() const { return m_counts; }

    void beginLoading();
    void endLoading();

    // Counts the whole text now, from the cache where it is valid.
    TextCounts recount() const;

    // The sum of the counts cached in the paragraphs: each paragraph's
    // counts join it when cached and leave it with the paragraph.
    struct CachedSum
    {
        TextCounts counts;
    };

signals:
    // After every commit, with the counts it found.
    void committed(TextCounts counts);

private:
    void onContentsChange(int position, int removed, int added);
    void scheduleCommit();
    void commit();
    void countAgain(const QTextBlock &block) const;
    void widenChangedSpan(int from, int to);

    QTextDocument *m_document;
    std::shared_ptr<CachedSum> m_cachedSum = std::make_shared<CachedSum>();
    // The span of the text changed since the last count: its paragraphs
    // may be uncounted or hold counts to check. Cursors, so later edits
    // move it along. Made once and only moved: a cursor made or dropped
    // while the document reports a change corrupts the document's list of
    // cursors (a later edit then crashes).
    mutable QTextCursor m_changedStart;
    mutable QTextCursor m_changedEnd;
    mutable bool m_changed = false;
    TextCounts m_counts;
    bool m_commitPending = false;
    bool m_editedSinceCommit = false;
    int m_loading = 0;
};
