#pragma once

#include "spreadsheet/engine/model/ExcelSheet.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

// The date display of numbers: a number from 40000 to 50000 (serials of the
// 1900 date system) shows as a date when its column looks like a date column.
// The column's header words come from rows 0..14 of the raw grid; without them
// column A shows "M/d", column B the Japanese weekday and row 2 "yyyy年M月分".
// Holds a reference to the raw grid, which must outlive it and stay unchanged.
class CellDateFormat
{
public:
    static constexpr double firstSerial = 40000;
    static constexpr double lastSerial = 50000;

    explicit CellDateFormat(const CellGrid &cells);

    // The date text of `value` at zero-based (row, col) when it is a number
    // inside the date window and the cell's column or position asks for a
    // date; nullopt otherwise.
    std::optional<QString> display(const QString &value, int row, int col) const;
    // False where no number shows as a date, whatever its value.
    bool mayShowDate(int row, int col) const { return ruleAt(row, col) != Rule::None; }
    // The date text of `serial` at (row, col), whatever its size; nullopt when
    // no rule applies or the date cannot be formed.
    std::optional<QString> formatDateCell(double serial, int row, int col) const;
    // Serial of the 1900 date system to a date: 1 is 1 January 1900, serials
    // above 60 skip the fictitious 29 February 1900, fractions are dropped.
    // nullopt for NaN, infinities and dates QDate cannot hold.
    static std::optional<QDate> dateFromSerial(double serial);

    // The raw grid changed in the header rows of `col`: decides the column's
    // header words again; true when that changes the column's rule.
    bool refreshColumn(int col);
    // Forgets every column's decision (the raw grid was replaced).
    void reset() { m_columnRules.clear(); }

private:
    enum class Rule : qint8 { Unknown, None, MonthDay, Weekday, YearMonth };
    Rule ruleAt(int row, int col) const; // None where no date shows
    Rule columnRule(int col) const;
    std::optional<QString> formatted(double serial, Rule rule) const;
    Rule headerRule(int col) const;
    // The rule one header text asks for, None when it asks for none.
    static Rule headerWordRule(QStringView text);

    const CellGrid &m_cells;
    mutable QList<Rule> m_columnRules; // header decisions, filled on first use
};
