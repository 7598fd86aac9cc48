#include "DialogCard.h"

#include "platform/widgets/DialogOverlay.h"
#include "platform/widgets/TranslucentPanel.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace DialogCard {

QVBoxLayout *setUp(DialogOverlay *overlay, const Shape &shape)
{
    overlay->setBackdropClick(DialogOverlay::BackdropClick::Close);
    overlay->setShadowRadius(shape.shadowRadius);
    TranslucentPanel *card = overlay->card();
    card->setCornerRadius(shape.cornerRadius);
    if (shape.width > 0)
        card->setFixedWidth(shape.width);
    auto *layout = new QVBoxLayout(card);
    layout->setContentsMargins(shape.padding, shape.padding, shape.padding, shape.padding);
    layout->setSpacing(shape.spacing);
    return layout;
}

QLabel *title(const QString &text, SheetControls::TextStyle style, QWidget *parent)
{
    QLabel *label = SheetControls::label(text, style, parent);
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

} // namespace DialogCard
