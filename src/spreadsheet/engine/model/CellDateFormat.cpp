#include "spreadsheet/engine/model/CellDateFormat.h"

#include "spreadsheet/engine/model/CellNumber.h"

#include <QLocale>
#include <cmath>

namespace {
constexpr int headerRowLimit = 15;
constexpr double maxDayOffset = 1e9; // far beyond any date QDate formats
}

CellDateFormat::CellDateFormat(const CellGrid &cells)
    : m_cells(cells)
{
}

std::optional<QString> CellDateFormat::display(const QString &value, int row, int col) const
{
    // Most cells lie where no rule applies: decide that before parsing.
    if (!mayShowDate(row, col))
        return std::nullopt;
    const auto number = cellNumber(value);
    if (!number || !(*number >= firstSerial && *number <= lastSerial))
        return std::nullopt;
    return formatDateCell(*number, row, col);
}

bool CellDateFormat::refreshColumn(int col)
{
    if (col < 0 || col >= m_columnRules.size())
        return true; // never decided: whatever shows in it was not decided by a rule kept here
    const Rule before = m_columnRules.at(col);
    m_columnRules[col] = headerRule(col);
    return before != m_columnRules.at(col);
}

std::optional<QString> CellDateFormat::formatDateCell(double serial, int row, int col) const
{
    return formatted(serial, ruleAt(row, col));
}

CellDateFormat::Rule CellDateFormat::ruleAt(int row, int col) const
{
    const Rule rule = columnRule(col);
    if (rule != Rule::None)
        return rule;
    if (col == 0)
        return Rule::MonthDay;
    if (col == 1)
        return Rule::Weekday;
    if (row == 1)
        return Rule::YearMonth;
    return Rule::None;
}

std::optional<QString> CellDateFormat::formatted(double serial, Rule rule) const
{
    if (rule == Rule::None)
        return std::nullopt;
    const auto date = dateFromSerial(serial);
    if (!date)
        return std::nullopt;
    static const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    switch (rule) {
    case Rule::MonthDay:
        return QLocale().toString(*date, QStringLiteral("M/d"));
    case Rule::Weekday:
        return japanese.toString(*date, QStringLiteral("ddd"));
    case Rule::YearMonth:
        return japanese.toString(*date, QStringLiteral("yyyy年M月分"));
    case Rule::Unknown:
    case Rule::None:
        break;
    }
    return std::nullopt;
}

std::optional<QDate> CellDateFormat::dateFromSerial(double serial)
{
    if (!std::isfinite(serial))
        return std::nullopt;
    if (serial > 60)
        serial -= 1;
    const double days = std::trunc(serial);
    if (std::fabs(days) > maxDayOffset)
        return std::nullopt;
    const QDate date = QDate(1899, 12, 31).addDays(qint64(days));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

CellDateFormat::Rule CellDateFormat::columnRule(int col) const
{
    if (col < 0)
        return Rule::None;
    if (col >= m_columnRules.size()) {
        const qsizetype width = m_cells.isEmpty() ? 0 : m_cells.first().size();
        if (col >= width)
            return headerRule(col);
        m_columnRules.resize(width, Rule::Unknown);
    }
    Rule &rule = m_columnRules[col];
    if (rule == Rule::Unknown)
        rule = headerRule(col);
    return rule;
}

CellDateFormat::Rule CellDateFormat::headerRule(int col) const
{
    const qsizetype rows = std::min<qsizetype>(m_cells.size(), headerRowLimit);
    for (qsizetype r = 0; r < rows; ++r) {
        const QStringList &row = m_cells.at(r);
        if (col >= row.size())
            continue;
        const Rule rule = headerWordRule(row.at(col));
        if (rule != Rule::None)
            return rule;
    }
    return Rule::None;
}

// Every header word holds "日": one search for it, looking around each one
// found, rather than a search of the whole text per word and a trimmed copy,
// as a header cell may hold a long text.
CellDateFormat::Rule CellDateFormat::headerWordRule(QStringView text)
{
    text = text.trimmed();
    if (text == u"日")
        return Rule::MonthDay;
    bool dateWord = false; // "日付" or "年月日"
    for (qsizetype at = text.indexOf(u'日'); at >= 0; at = text.indexOf(u'日', at + 1)) {
        if (text.first(at).endsWith(u"曜"))
            return Rule::Weekday;
        dateWord = dateWord || text.sliced(at).startsWith(u"日付") || text.first(at).endsWith(u"年月");
    }
    return dateWord ? Rule::MonthDay : Rule::None;
}
