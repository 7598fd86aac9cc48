#include "QuitPrompt.h"

#include "platform/AppState.h"

namespace {

const QString quitQuestion = QStringLiteral("終了する前にドキュメントを保存しますか？");

} // namespace

QuitPrompt::QuitPrompt()
    : m_asker(askWithMessageBox)
{
}

QuitPrompt::QuitPrompt(Asker asker)
    : m_asker(std::move(asker))
{
}

bool QuitPrompt::mayQuit(QWidget *parent) const
{
    if (!AppState::shared().hasUnsavedChanges())
        return true;
    return m_asker(parent) == Choice::DontSave;
}

QMessageBox *QuitPrompt::createMessageBox(QWidget *parent)
{
    return UnsavedChangesPrompt::createMessageBox(parent, quitQuestion);
}

QuitPrompt::Choice QuitPrompt::askWithMessageBox(QWidget *parent)
{
    return UnsavedChangesPrompt::ask(parent, quitQuestion);
}
