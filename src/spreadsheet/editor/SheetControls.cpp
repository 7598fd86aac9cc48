#include "SheetControls.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace SheetControls {

QFont font(TextStyle style, QFont base)
{
    switch (style) {
    case TextStyle::Title3:
        base.setPixelSize(15);
        base.setBold(true);
        break;
    case TextStyle::Headline:
        base.setPixelSize(13);
        base.setBold(true);
        break;
    case TextStyle::Body:
        base.setPixelSize(13);
        break;
    case TextStyle::Caption:
        base.setPixelSize(10);
        break;
    }
    return base;
}

QLabel *label(const QString &text, TextStyle style, QWidget *parent, Tone tone)
{
    auto *result = new QLabel(text, parent);
    result->setTextFormat(Qt::PlainText);
    result->setFont(font(style, result->font()));
    if (tone == Tone::Secondary) {
        QPalette palette = result->palette();
        QColor dimmed = palette.color(QPalette::WindowText);
        dimmed.setAlphaF(0.55f);
        palette.setColor(QPalette::WindowText, dimmed);
        result->setPalette(palette);
    }
    return result;
}

void makeProminent(QPushButton *button)
{
    button->setDefault(true);
    button->setStyleSheet(QStringLiteral(
        "QPushButton { background: #0A84FF; color: white; border: none; border-radius: 5px;"
        " padding: 4px 14px; font-weight: 600; }"
        "QPushButton:pressed { background: #0060DF; }"
        "QPushButton:disabled { background: rgba(10, 132, 255, 90); color: rgba(255, 255, 255, 140); }"));
}

QFrame *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette palette = line->palette();
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.2f);
    palette.setColor(QPalette::WindowText, color);
    line->setPalette(palette);
    return line;
}

} // namespace SheetControls
