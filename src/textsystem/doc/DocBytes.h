#pragma once

#include <QByteArray>
#include <QtEndian>

// Little-endian numbers written into the streams of a Word 97 file: put
// overwrites bytes already there, append adds them at the end.
namespace DocBytes {

inline void put16(QByteArray &bytes, qsizetype at, quint16 value) { qToLittleEndian(value, bytes.data() + at); }
inline void put32(QByteArray &bytes, qsizetype at, quint32 value) { qToLittleEndian(value, bytes.data() + at); }

inline void append16(QByteArray &bytes, quint16 value)
{
    char data[2];
    qToLittleEndian(value, data);
    bytes.append(data, 2);
}

inline void append32(QByteArray &bytes, quint32 value)
{
    char data[4];
    qToLittleEndian(value, data);
    bytes.append(data, 4);
}

} // namespace DocBytes
