#include "spreadsheet/engine/formula/FormulaReferenceShift.h"

#include "spreadsheet/engine/model/CellReference.h"

namespace {

constexpr qint64 maxColumn = 16384;  // "XFD"
constexpr qint64 maxRow = 1048576;

bool isLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Characters that continue a name: a reference never starts or ends inside one.
bool isNameCharacter(QChar c)
{
    return isLetter(c) || isDigit(c) || c == u'_' || c == u'.' || c == u'\\' || c.unicode() > 127;
}

struct Reference {
    bool absoluteColumn = false;
    qint64 column = 0; // 1-based
    bool absoluteRow = false;
    qint64 row = 0;    // 1-based
    qsizetype end = 0; // index past the reference
};

// The cell reference starting at `start`, when one stands there as a whole token.
std::optional<Reference> referenceAt(const QString &text, qsizetype start)
{
    if (start > 0 && (isNameCharacter(text[start - 1]) || text[start - 1] == u'$'))
        return std::nullopt;
    Reference reference;
    qsizetype i = start;
    if (i < text.size() && text[i] == u'$') {
        reference.absoluteColumn = true;
        ++i;
    }
    const qsizetype lettersStart = i;
    while (i < text.size() && isLetter(text[i]) && i - lettersStart < 3) {
        reference.column = reference.column * 26 + (text[i].toUpper().unicode() - 'A' + 1);
        ++i;
    }
    if (i == lettersStart || reference.column > maxColumn)
        return std::nullopt;
    if (i < text.size() && text[i] == u'$') {
        reference.absoluteRow = true;
        ++i;
    }
    const qsizetype digitsStart = i;
    while (i < text.size() && isDigit(text[i]) && i - digitsStart < 7) {
        reference.row = reference.row * 10 + (text[i].unicode() - '0');
        ++i;
    }
    if (i == digitsStart || reference.row < 1 || reference.row > maxRow)
        return std::nullopt;
    // A longer name, a function call or a sheet name is no reference.
    if (i < text.size() && (isNameCharacter(text[i]) || text[i] == u'(' || text[i] == u'!'))
        return std::nullopt;
    reference.end = i;
    return reference;
}

QString referenceText(const Reference &reference)
{
    QString text;
    if (reference.absoluteColumn)
        text += u'$';
    text += CellReference::columnName(int(reference.column - 1));
    if (reference.absoluteRow)
        text += u'$';
    text += QString::number(reference.row);
    return text;
}

} // namespace

QString FormulaReferenceShift::shifted(const QString &formula, int rowOffset, int columnOffset)
{
    QString out;
    out.reserve(formula.size() + 8);
    qsizetype i = 0;
    while (i < formula.size()) {
        const QChar c = formula[i];
        if (c == u'"' || c == u'\'') {
            // Texts and quoted sheet names are copied whole; a doubled quote
            // inside them is an escaped one.
            qsizetype end = i + 1;
            while (end < formula.size()) {
                if (formula[end] == c) {
                    if (end + 1 < formula.size() && formula[end + 1] == c) {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            end = std::min(end + 1, formula.size());
            out += QStringView(formula).mid(i, end - i);
            i = end;
            continue;
        }
        if (auto reference = referenceAt(formula, i)) {
            if (!reference->absoluteColumn)
                reference->column += columnOffset;
            if (!reference->absoluteRow)
                reference->row += rowOffset;
            const bool inside = reference->column >= 1 && reference->column <= maxColumn
                                && reference->row >= 1 && reference->row <= maxRow;
            out += inside ? referenceText(*reference) : QStringLiteral("#REF!");
            i = reference->end;
            continue;
        }
        // Skip the rest of a name so that its tail is never taken for a reference.
        if (isNameCharacter(c)) {
            while (i < formula.size() && isNameCharacter(formula[i]))
                out += formula[i++];
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}
