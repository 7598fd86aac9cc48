#pragma once

#include <QLineEdit>

// A line edit for cell texts of any length. A line edit lays out its whole
// text again on every change, so a text longer than the window length shows
// only its start and its end, window length characters in all, and keeps
// the middle aside, unchanged, at the junction of the two. fullText() gives
// the whole text back, so that editing either end, Home and End included,
// works on the real text. An edit that replaces a selection across the
// junction (select all, Shift+End from the start) replaces the middle too;
// it also ends the undo history, which could not bring the middle back.
class LongTextLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr qsizetype windowLength = 8192;

    explicit LongTextLineEdit(QWidget *parent = nullptr);

    // Loads `text`, as setText() does with a short one.
    void setFullText(const QString &text);
    QString fullText() const;
    // Whether fullText() equals `text`, without joining the pieces.
    bool holds(const QString &text) const;
    qsizetype hiddenLength() const { return m_hiddenLength; }

protected:
    bool event(QEvent *event) override;

private:
    void onTextEdited();
    QStringView hiddenMiddle() const;
    void dropHiddenMiddle();

    QString m_source;            // the text last loaded, shared with its owner
    qsizetype m_hiddenStart = 0; // the hidden middle within m_source
    qsizetype m_hiddenLength = 0;
    qsizetype m_junction = 0;    // where the middle belongs in text()
    // text() and the start of the selection, or the cursor, before the event
    // being handled: an edit made while handling it starts no later.
    QString m_textBefore;
    qsizetype m_editAnchorBefore = 0;
};
