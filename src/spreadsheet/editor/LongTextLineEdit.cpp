#include "LongTextLineEdit.h"

#include <QEvent>
#include <QSignalBlocker>
#include <algorithm>
#include <limits>
#include <utility>

LongTextLineEdit::LongTextLineEdit(QWidget *parent)
    : QLineEdit(parent)
{
    // A line edit cuts what is set or pasted at 32,767 characters by
    // default; a cell holds longer texts, and a cut would lose data.
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::textEdited, this, &LongTextLineEdit::onTextEdited);
}

void LongTextLineEdit::setFullText(const QString &text)
{
    if (text.size() <= windowLength) {
        m_source.clear();
        m_hiddenStart = m_hiddenLength = m_junction = 0;
        setText(text);
        return;
    }
    // Surrogate pairs stay whole on both sides of the middle.
    qsizetype headEnd = windowLength / 2;
    if (headEnd > 0 && text.at(headEnd - 1).isHighSurrogate())
        --headEnd;
    qsizetype tailStart = text.size() - (windowLength - windowLength / 2);
    if (text.at(tailStart).isLowSurrogate())
        ++tailStart;
    m_source = text;
    m_hiddenStart = headEnd;
    m_hiddenLength = tailStart - headEnd;
    m_junction = headEnd;
    QString shown = text.first(headEnd);
    shown.append(QStringView(text).sliced(tailStart));
    setText(shown);
    m_textBefore = shown;
}

QStringView LongTextLineEdit::hiddenMiddle() const
{
    return QStringView(m_source).sliced(m_hiddenStart, m_hiddenLength);
}

QString LongTextLineEdit::fullText() const
{
    const QString shown = text();
    if (m_hiddenLength == 0)
        return shown;
    QString whole;
    whole.reserve(shown.size() + m_hiddenLength);
    whole.append(QStringView(shown).first(m_junction));
    whole.append(hiddenMiddle());
    whole.append(QStringView(shown).sliced(m_junction));
    return whole;
}

bool LongTextLineEdit::holds(const QString &text) const
{
    const QString shown = this->text();
    if (text.size() != shown.size() + m_hiddenLength)
        return false;
    const QStringView whole(text);
    const qsizetype tailStart = m_junction + m_hiddenLength;
    return whole.first(m_junction) == QStringView(shown).first(m_junction)
           && whole.sliced(m_junction, m_hiddenLength) == hiddenMiddle()
           && whole.sliced(tailStart) == QStringView(shown).sliced(m_junction);
}

bool LongTextLineEdit::event(QEvent *event)
{
    // Every edit a user makes happens while one of these events is handled
    // (a middle click pastes); the input method's queries, sent while the
    // edit is under way, must not take the snapshot.
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::ContextMenu:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        if (m_hiddenLength > 0) {
            m_textBefore = text();
            m_editAnchorBefore = hasSelectedText() ? selectionStart() : cursorPosition();
        }
        break;
    default:
        break;
    }
    return QLineEdit::event(event);
}

void LongTextLineEdit::onTextEdited()
{
    if (m_hiddenLength == 0)
        return;
    // The edit replaced [start, oldEnd) of the text before it: the common
    // start of both texts, cut back to where the edit can have begun (a
    // repeated letter makes the common part longer), and their common end.
    const QString now = text();
    const QString before = std::exchange(m_textBefore, now);
    qsizetype start = 0;
    const qsizetype shorter = std::min(before.size(), now.size());
    while (start < shorter && before.at(start) == now.at(start))
        ++start;
    start = std::min({start, m_editAnchorBefore, qsizetype(cursorPosition())});
    qsizetype common = 0;
    while (common < shorter - start
           && before.at(before.size() - 1 - common) == now.at(now.size() - 1 - common))
        ++common;
    const qsizetype oldEnd = before.size() - common;
    if (start < m_junction && m_junction < oldEnd)
        dropHiddenMiddle();
    else if (oldEnd <= m_junction)
        m_junction = std::clamp(m_junction + now.size() - before.size(), qsizetype(0), now.size());
}

void LongTextLineEdit::dropHiddenMiddle()
{
    m_source.clear();
    m_hiddenStart = m_hiddenLength = m_junction = 0;
    const int cursor = cursorPosition();
    const QSignalBlocker blocker(this);
    setText(text()); // clears the undo history
    setCursorPosition(cursor);
}
