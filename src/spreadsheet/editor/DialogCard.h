#pragma once

#include "SheetControls.h"

#include <QString>

class DialogOverlay;
class QLabel;
class QPushButton;
class QVBoxLayout;
class QWidget;

// Building blocks shared by the editor's dialog cards; their text styles,
// rows and popovers come from SheetControls.
namespace DialogCard {

// A card's measures in pixels. A width of 0 leaves the card as wide as its
// content.
struct Shape
{
    int width = 0;
    int padding = 24;
    int spacing = 20;
    int cornerRadius = 12;
    int shadowRadius = 15;
};

// Gives the card of `overlay` `shape`, closing on a backdrop click, and
// returns its vertical layout with the padding on every side and the spacing
// between rows.
QVBoxLayout *setUp(DialogOverlay *overlay, const Shape &shape);

// A card's title: a label in `style`, its text centred across the card.
QLabel *title(const QString &text, SheetControls::TextStyle style, QWidget *parent);

// The cards' flat buttons: grey at opacity 0.2, or blue with white text;
// 20 × 10 padding, corner radius 10.
enum class ButtonTone { Grey, Blue };
QPushButton *button(const QString &text, ButtonTone tone, QWidget *parent);

} // namespace DialogCard
