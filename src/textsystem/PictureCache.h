#pragma once

#include "textsystem/TextAttachment.h"

#include <QByteArray>
#include <QHash>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class ReadBudget;

// The pictures one document shows, decoded once each however often the
// document refers to them, and within a budget of memory for the whole
// document, so that a small file naming huge pictures cannot exhaust it.
// What a decode may take is what is left of the budget, held by the decoder
// itself (a header can understate it), and what the decoder made is charged
// after (a wide picture at its full size, though it is kept at 8 bits).
// Every reader of pictures (RTF, RTFD, Word 97, DOCX, HTML) decodes through
// one of these per document, and it records what it left out for being too
// large, so that the screen can say so: a later save cannot keep those.
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

    // Names kept of the pictures left out; the rest are only counted.
    static constexpr int namedLeftOut = 3;

    // The picture file `bytes` as an attachment shown at `size` points
    // (empty or not finite: its natural size). Requests for the same bytes
    // share one decoded image. Null when the bytes are no picture that
    // PictureAttachment reads, or when decoding them would pass the budget.
    // `name` (a file name, when the document gives one) names the picture
    // among those left out.
    TextAttachmentPointer picture(const QByteArray &bytes, QSizeF size = {}, const QString &name = {});

    // The same for a picture the document names `name` (a package part),
    // whose bytes `read` gives; read once, however often it is named.
    TextAttachmentPointer picture(const QString &name, const std::function<std::optional<QByteArray>()> &read,
                                  QSizeF size = {});

    qint64 bytesUsed() const { return m_used; }

    // From now on each picture is also charged to `readBudget` (null: to
    // none), for a reader whose whole read has a budget of its own.
    void setReadBudget(ReadBudget *readBudget) { m_readBudget = readBudget; }

    // How many distinct pictures were left out for passing the limits (the
    // budget, the largest size), and short names of the first namedLeftOut:
    // the document's name for it, else its format ("PNG picture").
    // Bytes that are no picture are not counted.
    int leftOutCount() const { return m_leftOutCount; }
    QStringList leftOutNames() const { return m_leftOutNames; }

    // Records the picture `name` as left out for its size, for a reader that
    // refuses its file before reading it (larger than PictureAttachment's
    // maximumBytes): from the `read` of picture(name, read), which runs once
    // for each name, or where the reader itself reads each file once.
    void leaveOut(const QString &name) { recordLeftOut(name, {}); }

private:
    TextAttachmentPointer decoded(const QByteArray &bytes, QSizeF size, const QString &name);
    qint64 room(const QByteArray &bytes) const;
    void recordLeftOut(const QString &name, const QByteArray &format);

    QHash<QByteArray, TextAttachmentPointer> m_decoded; // null for a failure
    QHash<QString, TextAttachmentPointer> m_named;      // by name, for pictures read by name
    qint64 m_budget;
    ReadBudget *m_readBudget;
    qint64 m_used = 0;
    int m_leftOutCount = 0;
    QStringList m_leftOutNames;
};
