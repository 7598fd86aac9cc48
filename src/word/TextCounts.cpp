#include "TextCounts.h"

#include <QTextBoundaryFinder>

namespace {

int graphemeCount(QStringView text)
{
    if (text.isEmpty())
        return 0;
    // Plain ASCII without CR is one cluster per unit; skip the finder then.
    bool simple = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x80 || c == u'\r') {
            simple = false;
            break;
        }
    }
    if (simple)
        return int(text.size());
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), int(text.size()));
    int count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

bool isSeparator(char32_t c)
{
    return QChar::isSpace(c) || c == 0x85;
}

int wordCount(QStringView text)
{
    int words = 0;
    bool inWord = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        const bool separator = isSeparator(c);
        if (!separator && !inWord)
            ++words;
        inWord = !separator;
    }
    return words;
}

} // namespace

TextCounts TextCounts::of(QStringView text)
{
    return {graphemeCount(text), wordCount(text)};
}
