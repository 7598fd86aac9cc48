#pragma once

#include "platform/widgets/DialogCard.h"

class QLineEdit;
class QPushButton;

// The "シート名の変更" card. The field edits the owner's rename text
// (textEdited on every user change; setText() loads without emitting).
// "変更" emits renameRequested with the field's text and leaves closing to
// the owner, who keeps the card open when the name is refused; "キャンセル"
// and a click on the backdrop close it without renaming. Return in the field
// only ends the editing.
class RenameSheetDialog : public DialogCard
{
    Q_OBJECT
public:
    explicit RenameSheetDialog(QWidget *parent);

    QString text() const;
    void setText(const QString &text);

    QLineEdit *field() const { return m_field; }
    QPushButton *cancelButton() const { return m_cancelButton; }
    QPushButton *renameButton() const { return m_renameButton; }

signals:
    void textEdited(const QString &text);
    void renameRequested(const QString &name);

private:
    QLineEdit *m_field;
    QPushButton *m_cancelButton;
    QPushButton *m_renameButton;
};
