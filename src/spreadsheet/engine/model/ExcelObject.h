#pragma once

#include <QDebug>
#include <QString>
#include <QUuid>

// The kind of a floating object; the text value is also the shape menu label.
enum class ExcelObjectType { Rectangle, Circle, TextBox };

// "四角形", "円", "テキストボックス".
QString excelObjectTypeText(ExcelObjectType type);
// All cases in menu order.
inline constexpr ExcelObjectType allExcelObjectTypes[] = {
    ExcelObjectType::Rectangle, ExcelObjectType::Circle, ExcelObjectType::TextBox};

// A floating shape or text box over the grid; position and size in points.
struct ExcelObject {
    QUuid id;
    ExcelObjectType type = ExcelObjectType::Rectangle;
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    QString colorHex;
    QString text;

    friend bool operator==(const ExcelObject &, const ExcelObject &) = default;
};

// Debug text of the value, and the same for QTest's failure messages (found
// by argument-dependent lookup, so a failing QCOMPARE prints the values).
QDebug operator<<(QDebug debug, const ExcelObject &value);
char *toString(const ExcelObject &value);

// A new object of `type` with a fresh id at (100, 100): shapes 100 × 100 in
// "#34C759" without text, a text box 150 × 60 in "#FFFFFF" reading
// "テキスト入力...".
ExcelObject makeExcelObject(ExcelObjectType type);
