#pragma once

#include "platform/widgets/UnsavedChangesPrompt.h"

class QMessageBox;
class QWidget;

// Decides whether the application may quit. With no unsaved changes
// (AppState::shared().hasUnsavedChanges() false) it may, without asking.
// Otherwise it asks "終了する前にドキュメントを保存しますか？" with the
// unsaved-changes prompt; only "保存しない" lets it quit.
class QuitPrompt
{
public:
    using Choice = UnsavedChangesPrompt::Choice;
    using Asker = UnsavedChangesPrompt::Asker;

    QuitPrompt(); // asks with askWithMessageBox
    explicit QuitPrompt(Asker asker);

    // True when the application may quit now; asks only while changes are unsaved.
    bool mayQuit(QWidget *parent) const;

    // The quit question, not yet shown, owned by the caller.
    static QMessageBox *createMessageBox(QWidget *parent);
    static Choice choiceOf(const QMessageBox &box) { return UnsavedChangesPrompt::choiceOf(box); }
    // Runs createMessageBox modally.
    static Choice askWithMessageBox(QWidget *parent);

private:
    Asker m_asker;
};
