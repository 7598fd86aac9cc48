#pragma once

#include <QString>

#include <functional>

class QMessageBox;
class QWidget;

// The question asked before an action would lose unsaved changes (quitting,
// opening another file): the action's question, the informative text
// "保存しない場合、変更内容は失われます。" and the buttons "保存", "保存しない",
// "キャンセル". Only "保存しない" lets the action go on; "保存" saves nothing,
// it keeps the document so that the user saves it in the editor.
namespace UnsavedChangesPrompt {

enum class Choice { Save, DontSave, Cancel };
// Shows the question to the user and returns the answer; tests answer
// with one of their own so that nothing blocks.
using Asker = std::function<Choice(QWidget *parent)>;

// The question, not yet shown, owned by the caller: message and informative
// texts, the three buttons left to right in the order above on every
// platform's button layout, "保存" the default and "キャンセル" the escape button.
QMessageBox *createMessageBox(QWidget *parent, const QString &question);
// The answer the box was given; Cancel when it was closed without one.
Choice choiceOf(const QMessageBox &box);
// Runs createMessageBox modally.
Choice ask(QWidget *parent, const QString &question);

} // namespace UnsavedChangesPrompt
