#pragma once

class QFrame;
class QVBoxLayout;
class QWidget;

// Popovers: Qt::Popup frames anchored to the control that opens them.
namespace Popup {

// Makes `popup` (made without a parent) a Qt::Popup frame of `parent` that
// takes its palette and font like a child, and returns its vertical layout,
// 16 from the edges with `spacing` between rows.
QVBoxLayout *setUp(QFrame *popup, QWidget *parent, int spacing);

// Shows `popup` below `anchor` (centred on it, 4 pixels down) or centred
// over it, moved as little as needed to stay on the anchor's screen.
enum class Placement { Below, Centred };
void show(QWidget *popup, QWidget *anchor, Placement placement);

} // namespace Popup
