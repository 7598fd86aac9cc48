#include "Controls.h"

#include "AccentColors.h"
#include "TextStyles.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>

namespace Controls {

void makeProminent(QPushButton *button)
{
    const QColor blue = AccentColors::blueOnDark();
    button->setDefault(true);
    button->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; color: white; border: none; border-radius: 5px;"
                       " padding: 4px 14px; font-weight: 600; }"
                       "QPushButton:pressed { background: %2; }"
                       "QPushButton:disabled { background: rgba(%3, %4, %5, 90);"
                       " color: rgba(255, 255, 255, 140); }")
            .arg(blue.name(), AccentColors::pressedBlueOnDark().name())
            .arg(blue.red())
            .arg(blue.green())
            .arg(blue.blue()));
}

QFrame *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    TextStyles::dimText(line, 0.2f);
    return line;
}

QHBoxLayout *centredRow(std::initializer_list<QWidget *> widgets, int spacing)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(spacing);
    row->addStretch(1);
    for (QWidget *widget : widgets)
        row->addWidget(widget);
    row->addStretch(1);
    return row;
}

} // namespace Controls
