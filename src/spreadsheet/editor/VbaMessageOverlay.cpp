#include "VbaMessageOverlay.h"

#include "DialogCard.h"
#include "SheetControls.h"
#include "platform/widgets/TranslucentPanel.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using SheetControls::TextStyle;

VbaMessageOverlay::VbaMessageOverlay(QWidget *parent)
    : DialogOverlay(parent)
{
    QVBoxLayout *layout =
        DialogCard::setUp(this, {.width = 280, .padding = 24, .cornerRadius = 12, .shadowRadius = 10});
    setBackdropOpacity(0.3);
    layout->addWidget(SheetControls::label(QStringLiteral("VBAからのメッセージ"), TextStyle::Headline, card()), 0,
                      Qt::AlignHCenter);
    m_message = SheetControls::label(QString(), TextStyle::Body, card());
    m_message->setAlignment(Qt::AlignHCenter);
    m_message->setWordWrap(true);
    m_message->setContentsMargins(16, 0, 16, 0);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_message);
    m_okButton = new QPushButton(QStringLiteral("OK"), card());
    SheetControls::makeProminent(m_okButton);
    connect(m_okButton, &QPushButton::clicked, this, &VbaMessageOverlay::close);
    layout->addWidget(m_okButton, 0, Qt::AlignHCenter);
}

void VbaMessageOverlay::showMessage(const QString &text)
{
    m_message->setText(text);
    open();
}

QString VbaMessageOverlay::message() const
{
    return m_message->text();
}
