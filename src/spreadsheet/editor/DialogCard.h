#pragma once

#include <QString>
#include <initializer_list>

class DialogOverlay;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;
class QWidget;

// Building blocks shared by the editor's dialog cards.
namespace DialogCard {

// Sets the card of `overlay` to `width` pixels with the given corner radius
// and shadow, closing on a backdrop click, and returns its centred vertical
// layout with `padding` on every side and 20 between rows.
QVBoxLayout *setUp(DialogOverlay *overlay, int width, int padding, int cornerRadius,
                   int shadowRadius);

enum class TitleSize { Headline, Title3 };
QLabel *title(const QString &text, TitleSize size, QWidget *parent);

// The cards' flat buttons: grey at opacity 0.2, or blue with white text;
// 20 × 10 padding, corner radius 10.
enum class ButtonTone { Grey, Blue };
QPushButton *button(const QString &text, ButtonTone tone, QWidget *parent);

// A row holding `buttons` centred, `spacing` apart.
QHBoxLayout *buttonRow(std::initializer_list<QPushButton *> buttons, int spacing);

} // namespace DialogCard
