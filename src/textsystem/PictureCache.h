#pragma once

#include "textsystem/TextAttachment.h"

#include <QByteArray>
#include <QHash>
#include <QSizeF>
#include <QString>

#include <functional>
#include <optional>

class ReadBudget;

// The pictures one document shows, decoded once each however often the
// document refers to them, and within a budget of memory for the whole
// document, so that a small file naming huge pictures cannot exhaust it.
// What a decode may take is what is left of the budget, held by the decoder
// itself (a header can understate it), and what the decoder made is charged
// after (a wide picture at its full size, though it is kept at 8 bits). Every reader of pictures (RTF, RTFD, Word 97, DOCX, HTML)
// decodes through one of these per document.
class PictureCache
{
public:
    // Bytes of all decoded pictures together (160 megapixels at 4 bytes a
    // pixel); pictures past it are left out.
    static constexpr qint64 memoryBudget = 640'000'000;

    // `readBudget`, when given, is the whole read's: each picture is also
    // charged there, with its file's bytes, and must fit in what is left.
    explicit PictureCache(qint64 budget = memoryBudget, ReadBudget *readBudget = nullptr)
        : m_budget(budget), m_readBudget(readBudget)
    {
    }

    // The picture file `bytes` as an attachment shown at `size` points
    // (empty or not finite: its natural size). Requests for the same bytes
    // share one decoded image. Null when the bytes are no picture that
    // PictureAttachment reads, or when decoding them would pass the budget.
    TextAttachmentPointer picture(const QByteArray &bytes, QSizeF size = {});

    // The same for a picture the document names `name` (a package part),
    // whose bytes `read` gives; read once, however often it is named.
    TextAttachmentPointer picture(const QString &name, const std::function<std::optional<QByteArray>()> &read,
                                  QSizeF size = {});

    qint64 bytesUsed() const { return m_used; }

private:
    TextAttachmentPointer decoded(const QByteArray &bytes, QSizeF size);
    qint64 room(const QByteArray &bytes) const;

    QHash<QByteArray, TextAttachmentPointer> m_decoded; // null for a failure
    QHash<QString, TextAttachmentPointer> m_named;      // by name, for pictures read by name
    qint64 m_budget;
    ReadBudget *m_readBudget;
    qint64 m_used = 0;
};
