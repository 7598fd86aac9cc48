#pragma once

class QWidget;

// Keeps the mouse wheel from changing settings by accident. Inside a
// guarded panel (a toolbar, an inspector), a wheel turn over a picker, a
// spin box or a slider that does not have the keyboard focus scrolls the
// panel's own scroll area instead, as it would over a label; once the user
// has clicked the control or given it the focus, the wheel changes it as
// usual. Controls added to the panel later are guarded too.
namespace WheelGuard {

void guard(QWidget *panel);

} // namespace WheelGuard
