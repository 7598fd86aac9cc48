#pragma once

class QApplication;

// Names the application ("MorvaneOffice" 1.3), gives it a font that renders
// Japanese (Noto Sans CJK JP ahead of the platform's default), Qt's own
// Japanese translation for the stock dialogs (when installed) and the app
// icon, and removes the scratch folders of killed instances. Call once,
// right after the QApplication is made.
void setUpApplication(QApplication &app);
