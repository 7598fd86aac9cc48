#pragma once

#include "textsystem/TextAttachment.h"

#include <QByteArray>
#include <QHash>
#include <QSizeF>

// The pictures one document shows, decoded once each however often the
// document refers to them, and within a budget of pixels for the whole
// document (counted from each picture's header before it is decoded), so
// that a small file naming one huge picture many times cannot exhaust memory.
class PictureCache
{
public:
    // Pixels of all decoded pictures together; pictures past it are left out.
    static constexpr qint64 pixelBudget = 160'000'000;

    explicit PictureCache(qint64 budget = pixelBudget) : m_budget(budget) {}

    // The picture file `bytes` as an attachment shown at `size` points
    // (empty or not finite: its natural size). Requests for the same bytes
    // share one decoded image. Null when the bytes are no picture that
    // PictureAttachment reads, or when decoding them would pass the budget.
    TextAttachmentPointer picture(const QByteArray &bytes, QSizeF size = {});

    qint64 pixelsUsed() const { return m_pixelsUsed; }

private:
    TextAttachmentPointer decoded(const QByteArray &bytes);

    QHash<QByteArray, TextAttachmentPointer> m_decoded; // null for a failure
    qint64 m_budget;
    qint64 m_pixelsUsed = 0;
};
