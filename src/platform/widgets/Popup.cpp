#include "Popup.h"

#include <QFrame>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace Popup {

QVBoxLayout *setUp(QFrame *popup, QWidget *parent, int spacing)
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

void show(QWidget *popup, QWidget *anchor, Placement placement)
{
    const QSize size = popup->size();
    const int top = placement == Placement::Below ? anchor->height() + 4
                                                  : (anchor->height() - size.height()) / 2;
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

} // namespace Popup
