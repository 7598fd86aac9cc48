#pragma once

#include <QByteArrayView>
#include <QtEndian>

// A bounds-checked little-endian view of the bytes of a Word stream. Reads
// outside the view give 0 (callers check contains() where 0 would mislead),
// so no hostile offset reads outside the buffer.
class DocByteView
{
public:
    DocByteView() = default;
    explicit DocByteView(QByteArrayView bytes) : m_bytes(bytes) {}

    qsizetype size() const { return m_bytes.size(); }
    QByteArrayView bytes() const { return m_bytes; }

    bool contains(qint64 at, qint64 length) const
    {
        return at >= 0 && length >= 0 && at <= m_bytes.size() && length <= m_bytes.size() - at;
    }

    quint8 u8(qint64 at) const { return contains(at, 1) ? quint8(m_bytes[at]) : 0; }
    quint16 u16(qint64 at) const { return contains(at, 2) ? qFromLittleEndian<quint16>(m_bytes.data() + at) : 0; }
    quint32 u32(qint64 at) const { return contains(at, 4) ? qFromLittleEndian<quint32>(m_bytes.data() + at) : 0; }
    qint16 i16(qint64 at) const { return qint16(u16(at)); }
    qint32 i32(qint64 at) const { return qint32(u32(at)); }

    // The bytes [at, at + length), or an empty view when they leave this one.
    DocByteView mid(qint64 at, qint64 length) const
    {
        return contains(at, length) ? DocByteView(m_bytes.sliced(at, length)) : DocByteView();
    }

private:
    QByteArrayView m_bytes;
};
