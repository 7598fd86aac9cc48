#pragma once

#include <QScrollArea>

#include <functional>

// The scrollable desk around the page. A resize keeps the scroll offset, so
// a narrower or shorter window shows less of the page's right and bottom;
// the spot it follows (the caret) stays in sight when it showed before.
class PageArea : public QScrollArea
{
    Q_OBJECT
public:
    // The followed spot in the content widget's coordinates, or an empty
    // rect when there is nothing to keep in sight.
    using SpotFinder = std::function<QRect()>;

    explicit PageArea(QWidget *parent = nullptr);

    void setSpotFinder(SpotFinder finder) { m_findSpot = std::move(finder); }
    // Scrolls the least that shows `spot` (content coordinates) with some
    // room around it.
    void showSpot(const QRect &spot);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    SpotFinder m_findSpot;
};
