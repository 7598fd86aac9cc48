#include "RenameSheetDialog.h"

#include "platform/widgets/Controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

RenameSheetDialog::RenameSheetDialog(QWidget *parent)
    : DialogCard({.width = 300, .padding = 24, .cornerRadius = 12, .shadowRadius = 15}, parent)
{
    QVBoxLayout *layout = rows();
    QWidget *card = this->card();
    layout->addWidget(
        title(QStringLiteral("シート名の変更"), TextStyle::Headline, card));

    m_field = new QLineEdit(card);
    m_field->setPlaceholderText(QStringLiteral("新しいシート名"));
    layout->addWidget(m_field);

    m_cancelButton = button(QStringLiteral("キャンセル"), ButtonTone::Grey, card);
    m_renameButton = button(QStringLiteral("変更"), ButtonTone::Blue, card);
    layout->addLayout(Controls::centredRow({m_cancelButton, m_renameButton}, 16));

    connect(m_field, &QLineEdit::textEdited, this, &RenameSheetDialog::textEdited);
    connect(m_cancelButton, &QPushButton::clicked, this, &DialogOverlay::close);
    connect(m_renameButton, &QPushButton::clicked, this,
            [this] { emit renameRequested(m_field->text()); });
}

QString RenameSheetDialog::text() const
{
    return m_field->text();
}

void RenameSheetDialog::setText(const QString &text)
{
    const QSignalBlocker blocker(m_field);
    m_field->setText(text);
}
