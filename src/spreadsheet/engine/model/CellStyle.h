#pragma once

#include <QDebug>
#include <QString>
#include <optional>

// The style of one cell. Colours are colour text ("#RRGGBB" from the editor;
// whatever a file or a macro gave otherwise); no value means the grid default.
struct CellStyle {
    bool isBold = false;
    bool isItalic = false;
    std::optional<QString> textColorHex;
    std::optional<QString> bgColorHex;

    bool isFontBearing() const { return isBold || isItalic || textColorHex.has_value(); }
    bool isFillBearing() const { return bgColorHex.has_value(); }
    friend bool operator==(const CellStyle &, const CellStyle &) = default;
};

// Debug text of the value, and the same for QTest's failure messages (found
// by argument-dependent lookup, so a failing QCOMPARE prints the values).
QDebug operator<<(QDebug debug, const CellStyle &value);
char *toString(const CellStyle &value);
