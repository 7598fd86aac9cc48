#pragma once

#include <QFont>
#include <QString>

class QLabel;
class QWidget;

// The text styles of the screens, in pixel sizes: title 22, title 3 15 bold,
// headline 13 bold, body 13, subheadline 11, caption 10, footnote 10.
enum class TextStyle { Title, Title3, Headline, Body, Subheadline, Caption, Footnote };

namespace TextStyles {

// `base` (family, weight hints) at the size and weight of `style`.
QFont font(TextStyle style, QFont base);

// A plain-text label in `style`; Tone::Secondary dims its text to 55 %.
enum class Tone { Primary, Secondary };
QLabel *label(const QString &text, TextStyle style, QWidget *parent, Tone tone = Tone::Primary);

// Sets the widget's text and line colour to its own at `opacity`.
void dimText(QWidget *widget, float opacity);

} // namespace TextStyles
