#pragma once

#include <QFont>
#include <QString>
#include <initializer_list>

class QFrame;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;
class QWidget;

// Small builders shared by the spreadsheet's dialogs and popovers, so their
// text styles and button looks stay alike.
namespace SheetControls {

// Point sizes of the text styles: title 3 is 15 bold, headline 13 bold,
// body 13, caption 10.
enum class TextStyle { Title3, Headline, Body, Caption };

QFont font(TextStyle style, QFont base);

// A label in `style`; Tone::Secondary dims its text to half opacity.
enum class Tone { Primary, Secondary };
QLabel *label(const QString &text, TextStyle style, QWidget *parent, Tone tone = Tone::Primary);

// The filled accent look of a dialog's main action.
void makeProminent(QPushButton *button);

// A thin horizontal line.
QFrame *divider(QWidget *parent);

// A row holding `widgets` centred, `spacing` apart.
QHBoxLayout *centredRow(std::initializer_list<QWidget *> widgets, int spacing);

// Makes `popup` (made without a parent) a Qt::Popup frame of `parent` that
// takes its palette and font like a child, and returns its vertical layout,
// 16 from the edges with `spacing` between rows.
QVBoxLayout *setUpPopup(QFrame *popup, QWidget *parent, int spacing);

// Shows a Qt::Popup frame below `anchor` (centred on it) or centred over it,
// moved as little as needed to stay on the anchor's screen.
enum class PopupPlacement { Below, Centred };
void showPopup(QWidget *popup, QWidget *anchor, PopupPlacement placement);

} // namespace SheetControls
