#pragma once

#include <QString>
#include <variant>

// A macro value: a text, or an integer (only loop counters are integers).
// Every use as a number, a message or a cell text goes through text().
class VbaValue
{
public:
    VbaValue() = default;
    VbaValue(QString text) : m_value(std::move(text)) {}
    VbaValue(qint64 integer) : m_value(integer) {}

    bool isInteger() const { return std::holds_alternative<qint64>(m_value); }
    // The integer, or 0 for a text.
    qint64 integer() const { return isInteger() ? std::get<qint64>(m_value) : 0; }
    // The text itself, or the integer in decimal ("-12").
    QString text() const
    {
        if (const qint64 *integer = std::get_if<qint64>(&m_value))
            return QString::number(*integer);
        return std::get<QString>(m_value);
    }

    friend bool operator==(const VbaValue &, const VbaValue &) = default;

private:
    std::variant<QString, qint64> m_value;
};
