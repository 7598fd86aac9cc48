#include "UnsavedChangesPrompt.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace {

using UnsavedChangesPrompt::Choice;

constexpr char choiceProperty[] = "unsavedChangesChoice";

QPushButton *addChoice(QMessageBox *box, const QString &text, Choice choice)
{
    // One role for all three: each platform layout orders buttons by role, and
    // keeps the order they were added in only among buttons of the same role.
    QPushButton *button = box->addButton(text, QMessageBox::ActionRole);
    button->setProperty(choiceProperty, int(choice));
    return button;
}

} // namespace

namespace UnsavedChangesPrompt {

QMessageBox *createMessageBox(QWidget *parent, const QString &question)
{
    auto *box = new QMessageBox(parent);
    box->setWindowTitle(QApplication::applicationDisplayName());
    box->setText(question);
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

Choice choiceOf(const QMessageBox &box)
{
    const QAbstractButton *clicked = box.clickedButton();
    if (!clicked)
        return Choice::Cancel;
    return Choice(clicked->property(choiceProperty).toInt());
}

Choice ask(QWidget *parent, const QString &question)
{
    std::unique_ptr<QMessageBox> box(createMessageBox(parent, question));
    box->exec();
    return choiceOf(*box);
}

} // namespace UnsavedChangesPrompt
