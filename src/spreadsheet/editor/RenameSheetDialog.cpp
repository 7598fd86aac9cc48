#include "RenameSheetDialog.h"

#include "DialogCard.h"
#include "platform/widgets/TranslucentPanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

RenameSheetDialog::RenameSheetDialog(QWidget *parent)
    : DialogOverlay(parent)
{
    QVBoxLayout *layout =
        DialogCard::setUp(this, {.width = 300, .padding = 24, .cornerRadius = 12, .shadowRadius = 15});
    QWidget *card = this->card();
    layout->addWidget(
        DialogCard::title(QStringLiteral("シート名の変更"), SheetControls::TextStyle::Headline, card));

    m_field = new QLineEdit(card);
    m_field->setPlaceholderText(QStringLiteral("新しいシート名"));
    layout->addWidget(m_field);

    m_cancelButton = DialogCard::button(QStringLiteral("キャンセル"), DialogCard::ButtonTone::Grey, card);
    m_renameButton = DialogCard::button(QStringLiteral("変更"), DialogCard::ButtonTone::Blue, card);
    layout->addLayout(SheetControls::centredRow({m_cancelButton, m_renameButton}, 16));

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
