#pragma once

#include <initializer_list>

class QFrame;
class QHBoxLayout;
class QPushButton;
class QWidget;

// Small builders the screens share, so their dialogs and popovers look alike.
namespace Controls {

// The filled accent look of a popover's or HUD card's main action; also
// makes it the default button.
void makeProminent(QPushButton *button);

// A thin horizontal line in the text colour at opacity 0.2.
QFrame *divider(QWidget *parent);

// A row holding `widgets` centred, `spacing` apart.
QHBoxLayout *centredRow(std::initializer_list<QWidget *> widgets, int spacing);

} // namespace Controls
