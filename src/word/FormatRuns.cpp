#include "FormatRuns.h"

#include "word/layout/PageTextItem.h"
#include "word/layout/TextFormatProperty.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace FormatRuns {

namespace {

// How many distinct formats of a selection keep their changed form.
constexpr qsizetype MemorisedFormats = 64;

struct Run
{
    int start;
    int end;
    QTextCharFormat format;
};

// Calls `visit` with the runs of [start, end), pieces of fragments,
// paragraph ends left out, until it returns false.
template <typename Visit>
void visitRuns(const QTextDocument *document, int start, int end, Visit visit)
{
    for (QTextBlock block = document->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        // A paragraph's fragments follow one another from its start.
        int position = block.position();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int from = qMax(start, position);
            const int to = qMin(end, position + fragment.length());
            position += fragment.length();
            if (from < to && !visit(Run{from, to, fragment.charFormat()}))
                return;
        }
    }
}

QList<Run> runsOf(const QTextDocument *document, int start, int end)
{
    QList<Run> runs;
    visitRuns(document, start, end, [&](Run run) {
        runs.append(std::move(run));
        return true;
    });
    return runs;
}

void finish(QTextCharFormat &format, const QFont &defaultFont)
{
    TextFormatProperty::syncOutline(format, defaultFont.pixelSize() > 0 ? defaultFont.pixelSize()
                                                                         : defaultFont.pointSizeF());
}

} // namespace


void modify(PageTextItem *item, const Change &change)
{
    if (!item)
        return;
    QTextDocument *document = item->document();
    QTextCursor cursor = item->textCursor();
    if (!cursor.hasSelection()) {
        QTextCharFormat typing = TextFormatProperty::withoutObject(cursor.charFormat());
        change(typing);
        finish(typing, document->defaultFont());
        cursor.setCharFormat(typing);
        item->setTextCursor(cursor);
        return;
    }
    const QList<Run> runs = runsOf(document, cursor.selectionStart(), cursor.selectionEnd());
    const QFont defaultFont = document->defaultFont();
    // Runs share few formats: each is changed once.
    QList<std::pair<QTextCharFormat, QTextCharFormat>> changed;
    auto changedFormat = [&](const QTextCharFormat &before) {
        for (const auto &pair : std::as_const(changed)) {
            if (pair.first == before)
                return pair.second;
        }
        QTextCharFormat after = before;
        change(after);
        finish(after, defaultFont);
        if (changed.size() < MemorisedFormats)
            changed.append({before, after});
        return after;
    };
    QTextCursor edit(document);
    edit.beginEditBlock();
    // Neighbouring runs that end up alike are set in one go.
    int spanStart = -1;
    int spanEnd = -1;
    QTextCharFormat spanFormat;
    auto setSpan = [&] {
        if (spanStart < 0)
            return;
        QTextCursor piece(document);
        piece.setPosition(spanStart);
        piece.setPosition(spanEnd, QTextCursor::KeepAnchor);
        piece.setCharFormat(spanFormat);
        spanStart = -1;
    };
    for (const Run &run : runs) {
        const QTextCharFormat format = changedFormat(run.format);
        if (spanStart >= 0 && run.start == spanEnd && format == spanFormat) {
            spanEnd = run.end;
            continue;
        }
        setSpan();
        if (format == run.format)
            continue;
        spanStart = run.start;
        spanEnd = run.end;
        spanFormat = format;
    }
    setSpan();
    edit.endEditBlock();
}

bool any(PageTextItem *item, const Probe &probe)
{
    if (!item)
        return false;
    const QTextCursor cursor = item->textCursor();
    if (!cursor.hasSelection())
        return probe(cursor.charFormat());
    bool found = false;
    visitRuns(item->document(), cursor.selectionStart(), cursor.selectionEnd(), [&](const Run &run) {
        found = probe(run.format);
        return !found;
    });
    return found;
}

} // namespace FormatRuns
