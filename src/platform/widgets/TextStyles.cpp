#include "TextStyles.h"

#include <QLabel>

namespace TextStyles {

QFont font(TextStyle style, QFont base)
{
    switch (style) {
    case TextStyle::Title:
        base.setPixelSize(22);
        break;
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
    case TextStyle::Subheadline:
        base.setPixelSize(11);
        break;
    case TextStyle::Caption:
    case TextStyle::Footnote:
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
    if (tone == Tone::Secondary)
        dimText(result, 0.55f);
    return result;
}

void dimText(QWidget *widget, float opacity)
{
    QPalette palette = widget->palette();
    QColor dimmed = palette.color(QPalette::WindowText);
    dimmed.setAlphaF(opacity);
    palette.setColor(QPalette::WindowText, dimmed);
    widget->setPalette(palette);
}

} // namespace TextStyles
