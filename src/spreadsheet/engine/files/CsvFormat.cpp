#include "spreadsheet/engine/files/CsvFormat.h"

#include "spreadsheet/engine/model/GridLimits.h"

#include <algorithm>
#include <optional>

namespace {

// Reads one record at a time from CSV text.
class CsvReader
{
public:
    explicit CsvReader(const QString &text)
        : m_text(text)
    {
        if (m_text.startsWith(QChar(0xFEFF)))
            m_pos = 1;
    }

    bool atEnd() const { return m_pos >= m_text.size(); }

    // The fields of the next record, at most `maxFields`; the line end is consumed.
    QStringList readRecord(int maxFields)
    {
        QStringList fields;
        while (true) {
            QString field = readField();
            if (fields.size() < maxFields)
                fields.append(std::move(field));
            if (m_pos < m_text.size() && m_text.at(m_pos) == u',') {
                ++m_pos;
                continue;
            }
            if (m_pos < m_text.size())
                ++m_pos; // the line feed
            return fields;
        }
    }

private:
    bool isFieldEnd(qsizetype pos) const
    {
        return pos >= m_text.size() || m_text.at(pos) == u',' || m_text.at(pos) == u'\n';
    }

    // Leaves m_pos on the "," or line feed that ends the field, or at the end.
    QString readField()
    {
        const qsizetype start = m_pos;
        while (!isFieldEnd(m_pos) && m_text.at(m_pos).isSpace())
            ++m_pos;
        if (!isFieldEnd(m_pos) && m_text.at(m_pos) == u'"') {
            if (auto quoted = readQuoted(m_pos + 1))
                return *quoted + readUnquotedRest().trimmed();
        }
        m_pos = start;
        return unquoted(readUnquotedRest().trimmed());
    }

    // The text of a quoted field whose content starts at `pos`, with m_pos
    // after the closing quote; nullopt (m_pos untouched) when it never closes.
    std::optional<QString> readQuoted(qsizetype pos)
    {
        QString value;
        while (pos < m_text.size()) {
            const qsizetype quote = m_text.indexOf(u'"', pos);
            if (quote < 0)
                break;
            value += QStringView(m_text).mid(pos, quote - pos);
            if (quote + 1 < m_text.size() && m_text.at(quote + 1) == u'"') {
                value += u'"';
                pos = quote + 2;
                continue;
            }
            m_pos = quote + 1;
            return value;
        }
        return std::nullopt;
    }

    QString readUnquotedRest()
    {
        const qsizetype start = m_pos;
        while (!isFieldEnd(m_pos))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

    // A field without a closed quote: one outer pair of quotes is dropped.
    static QString unquoted(const QString &field)
    {
        if (field.size() >= 2 && field.startsWith(u'"') && field.endsWith(u'"'))
            return field.mid(1, field.size() - 2);
        return field == u"\"" ? QString() : field;
    }

    const QString &m_text;
    qsizetype m_pos = 0;
};

bool needsQuotes(const QString &field)
{
    if (field.isEmpty())
        return false;
    if (field.front().isSpace() || field.back().isSpace())
        return true; // the reader trims unquoted fields
    if (field.front() == QChar(0xFEFF))
        return true; // at the start of the text it would read as a byte-order mark
    return std::any_of(field.cbegin(), field.cend(), [](QChar c) {
        return c == u',' || c == u'"' || c == u'\n' || c == u'\r';
    });
}

} // namespace

namespace CsvFormat {

CellGrid read(const QString &text)
{
    CsvReader reader(text);
    CellGrid records;
    qsizetype width = 0;
    while (!reader.atEnd() && records.size() < GridLimits::maxRowCount) {
        records.append(reader.readRecord(GridLimits::maxColumnCount));
        width = std::max(width, records.last().size());
    }
    const int rows = std::max<int>(int(records.size()), GridLimits::defaultRowCount);
    const int columns = std::max<int>(int(width), GridLimits::defaultColumnCount);
    return resizeGrid(std::move(records), rows, columns);
}

QString write(const CellGrid &cells)
{
    QString text;
    for (const QStringList &row : cells) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0)
                text += u',';
            const QString &field = row.at(c);
            if (needsQuotes(field))
                text += u'"' + QString(field).replace(u'"', QStringLiteral("\"\"")) + u'"';
            else
                text += field;
        }
        text += u'\n';
    }
    return text;
}

} // namespace CsvFormat
