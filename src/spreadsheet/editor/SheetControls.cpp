#include "SheetControls.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace SheetControls {

namespace {

// Text and lines drawn in the widget's text colour at `opacity`.
void dimText(QWidget *widget, float opacity)
{
    QPalette palette = widget->palette();
    QColor dimmed = palette.color(QPalette::WindowText);
    dimmed.setAlphaF(opacity);
    palette.setColor(QPalette::WindowText, dimmed);
    widget->setPalette(palette);
}

} // namespace

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
    if (tone == Tone::Secondary)
        dimText(result, 0.55f);
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
    dimText(line, 0.2f);
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

QVBoxLayout *setUpPopup(QFrame *popup, QWidget *parent, int spacing)
{
    // Parented after the attribute is set, so the popup takes the screen's
    // palette and font like any child.
    popup->setAttribute(Qt::WA_WindowPropagation);
    popup->setParent(parent, Qt::Popup);
    popup->setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(popup);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(spacing);
    return layout;
}

void showPopup(QWidget *popup, QWidget *anchor, PopupPlacement placement)
{
    const QSize size = popup->size();
    const int top = placement == PopupPlacement::Below ? anchor->height() + 4 : (anchor->height() - size.height()) / 2;
    QPoint topLeft = anchor->mapToGlobal(QPoint((anchor->width() - size.width()) / 2, top));
    if (const QScreen *screen = anchor->screen()) {
        const QRect available = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), available.left(),
                                std::max(available.left(), available.right() + 1 - size.width())));
        topLeft.setY(std::clamp(topLeft.y(), available.top(),
                                std::max(available.top(), available.bottom() + 1 - size.height())));
    }
    popup->move(topLeft);
    popup->show();
}

} // namespace SheetControls
