#pragma once

#include "TextCounts.h"

#include <QObject>

class QTextDocument;

// Follows the edits of the word processor's document: however many changes
// one turn of the main loop brings (typing, paste, undo, a command over the
// whole text), one commit runs on the next turn. It recounts the text, using
// per-paragraph counts cached in the blocks so only changed paragraphs are
// counted again, and sets the word processor's share of the unsaved state.
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

signals:
    // After every commit, with the counts it found.
    void committed(TextCounts counts);

private:
    void onContentsChange(int position, int removed, int added);
    void scheduleCommit();
    void commit();

    QTextDocument *m_document;
    TextCounts m_counts;
    bool m_commitPending = false;
    bool m_editedSinceCommit = false;
    int m_loading = 0;
};
