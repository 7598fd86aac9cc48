#pragma once

#include "textsystem/TextAttachment.h"

#include <QByteArray>
#include <QHash>

// The Data stream of a Word document being written: one inline picture per
// call, each a picture header (PICF) with its shown size, a picture-frame
// shape naming its blip, and the blip itself (PNG, or JPEG as it came)
// embedded in a blip-store entry, as Word and LibreOffice write them.
class DocPictureWriter
{
public:
    // The offset in the Data stream of `attachment`'s picture shown at its
    // bounds (its natural size when they are empty); nullopt when it holds
    // no picture. A picture shown again at the same size is written once.
    std::optional<quint32> add(const TextAttachment &attachment);

    bool isEmpty() const { return m_data.isEmpty(); }
    // The whole stream.
    QByteArray stream() const;

private:
    QByteArray m_data;
    QHash<QByteArray, quint32> m_offsets; // by blip bytes and shown size
    quint32 m_nextShapeId = 0x401;
};
