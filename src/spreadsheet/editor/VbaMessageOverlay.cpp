#include "VbaMessageOverlay.h"

#include "platform/widgets/Controls.h"
#include "platform/widgets/TextStyles.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

VbaMessageOverlay::VbaMessageOverlay(QWidget *parent)
    : DialogCard({.width = 280, .padding = 24, .cornerRadius = 12, .shadowRadius = 10,
                  .backdropOpacity = 0.3},
                 parent)
{
    QVBoxLayout *layout = rows();
    layout->addWidget(TextStyles::label(QStringLiteral("VBAからのメッセージ"), TextStyle::Headline, card()), 0,
                      Qt::AlignHCenter);
    m_message = TextStyles::label(QString(), TextStyle::Body, card());
    m_message->setAlignment(Qt::AlignHCenter);
    m_message->setWordWrap(true);
    m_message->setContentsMargins(16, 0, 16, 0);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_message);
    m_okButton = new QPushButton(QStringLiteral("OK"), card());
    Controls::makeProminent(m_okButton);
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
