#pragma once

#include "spreadsheet/engine/formula/CompiledFormula.h"

#include <QStringList>
#include <QVarLengthArray>
#include <span>
#include <vector>

// The compiled arguments of a sheet's formulas packed end to end in one byte
// stream, so a formula costs a few bytes per argument rather than a record
// each: a count, the delimiter of a TEXTJOIN, then per argument a tag and a
// reference or a range (rows and columns in 1 to 3 bytes each), an integer
// (1 to 5 bytes), another number (8) or a text index. Literal texts live in a
// list beside the stream.
class FormulaCode
{
public:
    using Arguments = QVarLengthArray<FormulaArgument, 8>;

    // Appends the arguments and delimiter (nullptr: none); Text arguments
    // index `texts`. Returns the offset to read them from.
    qint32 append(std::span<const FormulaArgument> arguments, const QString *delimiter, const QStringList &texts);
    qint32 append(const CompiledFormula &formula);
    // The arguments at `offset` (Text arguments index texts()) and the
    // delimiter's index in texts() (-1: none); returns the offset after them.
    qint32 read(qint32 offset, Arguments &arguments, qint32 &delimiter) const;
    const QStringList &texts() const { return m_texts; }
    // The formula at `offset` is gone; its bytes count as dead until compacted.
    void release(qint32 offset);
    // True when most of the stream is dead: the owner then appends the live
    // formulas to a new FormulaCode and replaces this one.
    bool wantsCompaction() const;
    qsizetype size() const { return qsizetype(m_bytes.size()); }

    void clear();
    void reserve(qsizetype bytes) { m_bytes.reserve(size_t(bytes)); }

private:
    void putUnsigned(quint32 value);
    quint32 getUnsigned(qint32 &offset) const;
    void putDouble(double value);
    double getDouble(qint32 &offset) const;

    std::vector<char> m_bytes;
    QStringList m_texts;
    qsizetype m_deadBytes = 0;
};
