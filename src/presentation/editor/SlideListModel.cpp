#include "SlideListModel.h"

void SlideListModel::refresh(const QList<Slide> &slides, int currentSlideIndex)
{
    const int oldCount = int(m_rows.size());
    const int newCount = int(slides.size());
    if (newCount > oldCount) {
        beginInsertRows(QModelIndex(), oldCount, newCount - 1);
        for (int i = oldCount; i < newCount; ++i)
            m_rows.append({slides[i].title, slides[i].bgColorHex});
        endInsertRows();
    } else if (newCount < oldCount) {
        beginRemoveRows(QModelIndex(), newCount, oldCount - 1);
        m_rows.resize(newCount);
        endRemoveRows();
    }

    int firstChanged = -1;
    for (int i = 0; i < newCount; ++i) {
        const Row row{slides[i].title, slides[i].bgColorHex};
        const bool changed = !(m_rows[i] == row);
        if (changed) {
            m_rows[i] = row;
            if (firstChanged < 0)
                firstChanged = i;
        } else if (firstChanged >= 0) {
            emitChanged(firstChanged, i - 1);
            firstChanged = -1;
        }
    }
    if (firstChanged >= 0)
        emitChanged(firstChanged, newCount - 1);

    if (currentSlideIndex != m_currentSlideIndex) {
        const int previous = m_currentSlideIndex;
        m_currentSlideIndex = currentSlideIndex;
        for (const int row : {previous, currentSlideIndex}) {
            if (row >= 0 && row < newCount)
                emitChanged(row, row);
        }
    }
}

void SlideListModel::emitChanged(int first, int last)
{
    emit dataChanged(index(first), index(last));
}

int SlideListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant SlideListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row &row = m_rows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return row.title;
    case BackgroundColorHexRole:
        return row.bgColorHex;
    case IsCurrentRole:
        return index.row() == m_currentSlideIndex;
    default:
        return {};
    }
}
