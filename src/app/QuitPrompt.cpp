#include "QuitPrompt.h"

#include "platform/AppState.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace {

constexpr char choiceProperty[] = "quitChoice";

QPushButton *addChoice(QMessageBox *box, const QString &text, QuitPrompt::Choice choice)
{
    // One role for all three: each platform layout orders buttons by role, and
    // keeps the order they were added in only among buttons of the same role.
    QPushButton *button = box->addButton(text, QMessageBox::ActionRole);
    button->setProperty(choiceProperty, int(choice));
    return button;
}

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
    auto *box = new QMessageBox(parent);
    box->setWindowTitle(QApplication::applicationDisplayName());
    box->setText(QStringLiteral("終了する前にドキュメントを保存しますか？"));
    box->setInformativeText(QStringLiteral("保存しない場合、変更内容は失われます。"));
    const QIcon appIcon = QApplication::windowIcon();
    if (!appIcon.isNull())
        box->setIconPixmap(appIcon.pixmap(64, 64));
    QPushButton *save = addChoice(box, QStringLiteral("保存"), Choice::Save);
    addChoice(box, QStringLiteral("保存しない"), Choice::DontSave);
    QPushButton *cancel = addChoice(box, QStringLiteral("キャンセル"), Choice::Cancel);
    box->setDefaultButton(save);
    box->setEscapeButton(cancel);
    return box;
}

QuitPrompt::Choice QuitPrompt::choiceOf(const QMessageBox &box)
{
    const QAbstractButton *clicked = box.clickedButton();
    if (!clicked)
        return Choice::Cancel;
    return Choice(clicked->property(choiceProperty).toInt());
}

QuitPrompt::Choice QuitPrompt::askWithMessageBox(QWidget *parent)
{
    std::unique_ptr<QMessageBox> box(createMessageBox(parent));
    box->exec();
    return choiceOf(*box);
}
