#pragma once

#include <functional>

class QMessageBox;
class QWidget;

// Decides whether the application may quit. With no unsaved changes
// (AppState::shared().hasUnsavedChanges() false) it may, without asking.
// Otherwise it asks "終了する前にドキュメントを保存しますか？" with the buttons
// "保存", "保存しない", "キャンセル"; only "保存しない" lets it quit. "保存" saves
// nothing: it keeps the application running so the user saves in the editor.
class QuitPrompt
{
public:
    enum class Choice { Save, DontSave, Cancel };
    // Shows the question to the user and returns the answer.
    using Asker = std::function<Choice(QWidget *parent)>;

    QuitPrompt(); // asks with askWithMessageBox
    explicit QuitPrompt(Asker asker);

    // True when the application may quit now; asks only while changes are unsaved.
    bool mayQuit(QWidget *parent) const;

    // The question, not yet shown, owned by the caller: message and
    // informative texts, the three buttons left to right in the order above
    // on every platform's button layout, "保存" the default and "キャンセル"
    // the escape button.
    static QMessageBox *createMessageBox(QWidget *parent);
    // The answer the box was given; Cancel when it was closed without one.
    static Choice choiceOf(const QMessageBox &box);
    // Runs createMessageBox modally.
    static Choice askWithMessageBox(QWidget *parent);

private:
    Asker m_asker;
};
