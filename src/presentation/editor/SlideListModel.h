#pragma once

#include "presentation/document/Slide.h"

#include <QAbstractListModel>

// The rows of the slide list: one per slide, identified by position, with
// the slide's title, its background colour text and whether it is the
// current slide. refresh() compares what the rows show with the slides and
// reports only the rows that changed, so a keystroke in a slide's name
// repaints one row of a long deck.
class SlideListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role { BackgroundColorHexRole = Qt::UserRole + 1, IsCurrentRole };

    using QAbstractListModel::QAbstractListModel;

    void refresh(const QList<Slide> &slides, int currentSlideIndex);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    struct Row {
        QString title;
        QString bgColorHex;
        bool operator==(const Row &other) const = default;
    };

    void emitChanged(int first, int last);

    QList<Row> m_rows;
    int m_currentSlideIndex = -1;
};
