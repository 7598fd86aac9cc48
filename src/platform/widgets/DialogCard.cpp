#include "DialogCard.h"

#include "AccentColors.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

DialogCard::DialogCard(const Shape &shape, QWidget *parent)
    : DialogOverlay(parent)
{
    setBackdropClick(shape.backdropClick);
    setBackdropOpacity(shape.backdropOpacity);
    setShadowRadius(shape.shadowRadius);
    TranslucentPanel *panel = card();
    panel->setMaterial(shape.material);
    panel->setCornerRadius(shape.cornerRadius);
    if (shape.width > 0)
        panel->setFixedWidth(shape.width);

    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(shape.padding, shape.padding, shape.padding, shape.padding);
    layout->setSpacing(shape.spacing);
    m_rows = new QVBoxLayout;
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(shape.spacing);
    layout->addLayout(m_rows);

    m_errorLabel = TextStyles::label(QString(), TextStyle::Body, panel);
    m_errorLabel->setWordWrap(true);
    m_errorLabel->setAlignment(Qt::AlignCenter);
    QPalette red = m_errorLabel->palette();
    red.setColor(QPalette::WindowText, AccentColors::red());
    m_errorLabel->setPalette(red);
    m_errorLabel->hide();
    layout->addWidget(m_errorLabel);

    connect(this, &DialogOverlay::closed, this, &DialogCard::clearError);
}

void DialogCard::showError(const QString &message)
{
    m_errorLabel->setText(message);
    m_errorLabel->setVisible(!message.isEmpty());
}

QString DialogCard::error() const
{
    return m_errorLabel->text();
}

QLabel *DialogCard::title(const QString &text, TextStyle style, QWidget *parent, bool bold)
{
    QLabel *label = TextStyles::label(text, style, parent);
    label->setAlignment(Qt::AlignCenter);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QPushButton *DialogCard::button(const QString &text, ButtonTone tone, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        tone == ButtonTone::Blue
            ? QStringLiteral("QPushButton { padding: 10px 20px; border: none; border-radius: 10px;"
                             " background: %1; color: white; }"
                             "QPushButton:pressed { background: %2; }")
                  .arg(AccentColors::blue().name(), AccentColors::pressedBlue().name())
            : QStringLiteral("QPushButton { padding: 10px 20px; border: none; border-radius: 10px;"
                             " background: rgba(128, 128, 128, 51); }"
                             "QPushButton:pressed { background: rgba(128, 128, 128, 90); }"));
    return button;
}
