#include "BoxTextFitting.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace BoxTextFitting {

namespace {

qint64 laidOut = 0;

// The first window of text tried; it grows fourfold until the lines it holds
// pass the bottom of the box.
constexpr qsizetype firstWindow = 1024;
// Shortest head of a word that is measured to decide whether to cut it.
constexpr qsizetype firstHead = 64;

struct Box {
    double width;
    double height;
    int lines; // at most this many lines start inside the box
};

Box boxFor(QSizeF size, const QFontMetricsF &metrics)
{
    const double width = std::max(1.0, size.width());
    const double height = std::max(0.0, size.height());
    const double spacing = std::max(1.0, metrics.lineSpacing());
    const double lines = std::min(1e6, std::ceil(height / spacing) + 1);
    return {width, height, int(lines)};
}

// A word wider than every line of the box together shows only its head, so
// it is cut to the shortest measured head that is wider still.
qsizetype keptLength(QStringView word, const QFontMetricsF &metrics, const Box &box)
{
    const double needed = box.width * box.lines;
    for (qsizetype head = firstHead; head < word.size(); head *= 4) {
        laidOut += head;
        const qsizetype whole = word.at(head - 1).isHighSurrogate() ? head + 1 : head;
        if (metrics.horizontalAdvance(word.left(whole).toString()) > needed)
            return whole;
    }
    return word.size();
}

// The text from its start with every overlong word cut, stopping after the
// word that brings it to `budget` characters; `*complete` tells whether the
// whole text was taken.
QString withOverlongWordsCut(const QString &text, const QFontMetricsF &metrics, const Box &box,
                             qsizetype budget, bool *complete)
{
    QString cut;
    qsizetype start = 0;
    while (start < text.size() && cut.size() < budget) {
        qsizetype end = start;
        while (end < text.size() && text.at(end).isSpace())
            ++end;
        const qsizetype wordStart = end;
        while (end < text.size() && !text.at(end).isSpace())
            ++end;
        const QStringView word = QStringView(text).mid(wordStart, end - wordStart);
        const qsizetype kept = word.size() > firstHead ? keptLength(word, metrics, box) : word.size();
        cut += QStringView(text).mid(start, wordStart - start);
        cut += word.left(kept);
        start = end;
    }
    *complete = start >= text.size();
    return cut;
}

// The end of the lines that start inside the box and of one more, a margin
// for a drawing that breaks lines a little differently. Two lines more are
// laid out, so that the end of the text taken, which may cut a word, cannot
// have moved the lines that are kept; `*runsOut` tells when there were none.
qsizetype endOfShownLines(const QString &text, const QFont &font, const QFontMetricsF &metrics, const Box &box,
                          bool *runsOut)
{
    QString lines = text;
    lines.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(lines, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    laidOut += text.size();
    const double leading = metrics.leading();
    layout.beginLayout();
    double top = 0;
    qsizetype shownEnd = 0;
    const double bottom = box.height + metrics.lineSpacing();
    int linesAfter = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width);
        if (top < bottom || shownEnd == 0)
            shownEnd = line.textStart() + line.textLength();
        else if (++linesAfter == 2)
            break;
        top += line.height() + leading;
    }
    layout.endLayout();
    *runsOut = linesAfter < 2;
    return shownEnd;
}

Fitted fitLongText(const QString &text, const QFont &font, QSizeF size)
{
    if (text.size() <= shortTextLength)
        return {text, false};
    const QFontMetricsF metrics(font);
    const Box box = boxFor(size, metrics);
    for (qsizetype window = firstWindow;; window *= 4) {
        bool complete = false;
        const QString cut = withOverlongWordsCut(text, metrics, box, window, &complete);
        bool runsOut = false;
        const qsizetype shownEnd = endOfShownLines(cut, font, metrics, box, &runsOut);
        if (!runsOut)
            return {cut.left(shownEnd), true};
        if (complete)
            return {cut, false};
    }
}

} // namespace

Fitted fit(const QString &text, const QFont &font, QSizeF size)
{
    const Fitted fitted = fitLongText(text, font, size);
    laidOut += fitted.text.size();
    return fitted;
}

qint64 charactersLaidOut()
{
    return laidOut;
}

} // namespace BoxTextFitting
