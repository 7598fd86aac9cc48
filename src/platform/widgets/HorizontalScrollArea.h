#pragma once

#include <QScrollArea>

// A scroll area that scrolls only sideways and shows no scroll bars; a
// vertical wheel turn scrolls it sideways, so a row wider than the window
// stays reachable with a plain mouse wheel, whatever controls lie under
// the pointer (see WheelGuard).
class HorizontalScrollArea : public QScrollArea
{
    Q_OBJECT
public:
    explicit HorizontalScrollArea(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void wheelEvent(QWheelEvent *event) override;
};
