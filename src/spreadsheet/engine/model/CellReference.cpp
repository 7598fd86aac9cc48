#include "spreadsheet/engine/model/CellReference.h"

#include "spreadsheet/engine/model/DebugText.h"

#include <limits>

namespace CellReference {

QString columnName(int column)
{
    if (column < 0)
        return {};
    QString letters;
    qint64 n = column;
    while (true) {
        letters.prepend(QChar(u'A' + int(n % 26)));
        if (n <= 25)
            break;
        n = n / 26 - 1;
    }
    return letters;
}

QString text(int row, int column)
{
    return columnName(column) + QString::number(qint64(row) + 1);
}

static bool isAsciiLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

static bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

std::optional<CellAddress> parse(QStringView text)
{
    constexpr qint64 limit = std::numeric_limits<int>::max();
    const qsizetype size = text.size();
    qsizetype i = 0;
    qint64 column = 0;
    for (; i < size && isAsciiLetter(text.at(i)); ++i) {
        column = column * 26 + ((text.at(i).unicode() & ~0x20) - u'A' + 1); // upper case
        if (column - 1 > limit)
            return std::nullopt; // a letter run no grid can hold
    }
    if (i == 0 || i == size)
        return std::nullopt;
    qint64 rowNumber = 0;
    for (; i < size; ++i) {
        if (!isAsciiDigit(text.at(i)))
            return std::nullopt;
        rowNumber = rowNumber * 10 + (text.at(i).unicode() - u'0');
        if (rowNumber > limit)
            return std::nullopt;
    }
    if (rowNumber < 1)
        return std::nullopt;
    return CellAddress{int(rowNumber - 1), int(column - 1)};
}

std::optional<CellAddress> parseWithin(QStringView text, int rows, int columns)
{
    const auto address = parse(text);
    if (!address || address->row >= rows || address->col >= columns)
        return std::nullopt;
    return address;
}

std::optional<ExcelRange> parseRangeWithin(QStringView text, int rows, int columns)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0 || text.indexOf(u':', colon + 1) >= 0)
        return std::nullopt;
    const auto first = parseWithin(text.left(colon), rows, columns);
    const auto second = parseWithin(text.mid(colon + 1), rows, columns);
    if (!first || !second)
        return std::nullopt;
    return ExcelRange{first->row, first->col, second->row, second->col}.normalized();
}

std::optional<QString> canonical(const QString &reference)
{
    const auto address = parse(reference);
    if (!address)
        return std::nullopt;
    return text(address->row, address->col);
}

} // namespace CellReference

QDebug operator<<(QDebug debug, const CellAddress &value)
{
    const QDebugStateSaver saver(debug);
    debug.nospace() << "CellAddress(" << value.row << ", " << value.col << " "
                    << CellReference::text(value.row, value.col) << ")";
    return debug;
}

char *toString(const CellAddress &value)
{
    return debugText(value);
}

char *toString(const std::optional<CellAddress> &value)
{
    return debugText(value);
}
