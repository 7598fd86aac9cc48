#include "DialogCard.h"

#include "platform/widgets/DialogOverlay.h"
#include "platform/widgets/TranslucentPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace DialogCard {

QVBoxLayout *setUp(DialogOverlay *overlay, int width, int padding, int cornerRadius,
                   int shadowRadius)
{
    overlay->setBackdropClick(DialogOverlay::BackdropClick::Close);
    overlay->setShadowRadius(shadowRadius);
    TranslucentPanel *card = overlay->card();
    card->setCornerRadius(cornerRadius);
    card->setFixedWidth(width);
    auto *layout = new QVBoxLayout(card);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(20);
    return layout;
}

QLabel *title(const QString &text, TitleSize size, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(size == TitleSize::Headline ? 13 : 15);
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QPushButton *button(const QString &text, ButtonTone tone, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        tone == ButtonTone::Blue
            ? QStringLiteral("QPushButton { padding: 10px 20px; border: none; border-radius: 10px;"
                             " background: #007AFF; color: white; }"
                             "QPushButton:pressed { background: #0062CC; }")
            : QStringLiteral("QPushButton { padding: 10px 20px; border: none; border-radius: 10px;"
                             " background: rgba(128, 128, 128, 51); }"
                             "QPushButton:pressed { background: rgba(128, 128, 128, 90); }"));
    return button;
}

QHBoxLayout *buttonRow(std::initializer_list<QPushButton *> buttons, int spacing)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(spacing);
    row->addStretch(1);
    for (QPushButton *button : buttons)
        row->addWidget(button);
    row->addStretch(1);
    return row;
}

} // namespace DialogCard
