#pragma once

#include "platform/CompoundFileReader.h"
#include "platform/CompoundFileWriter.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtEndian>

// Test helper: the streams of a compound file, to change one and put the
// container together again.
struct DocTestStreams
{
    QList<std::pair<QString, QByteArray>> streams;

    static DocTestStreams of(const QByteArray &file)
    {
        DocTestStreams result;
        const auto reader = CompoundFileReader::open(file, nullptr);
        if (!reader)
            return result;
        for (const QString &path : reader->streamPaths())
            result.streams << std::pair{path, reader->stream(path, nullptr).value_or(QByteArray())};
        return result;
    }

    QByteArray &operator[](const QString &name)
    {
        for (auto &[path, bytes] : streams) {
            if (path == name)
                return bytes;
        }
        streams << std::pair{name, QByteArray()};
        return streams.last().second;
    }

    QByteArray container() const
    {
        CompoundFileWriter writer;
        for (const auto &[path, bytes] : streams)
            writer.addStream(path, bytes);
        return writer.toBytes();
    }

    // Offset and size of FIB pair `index` in the WordDocument stream.
    quint32 fc(int index) { return qFromLittleEndian<quint32>((*this)["WordDocument"].constData() + 0x9A + 8 * index); }
    quint32 lcb(int index) { return qFromLittleEndian<quint32>((*this)["WordDocument"].constData() + 0x9E + 8 * index); }
};

inline void setLittleEndian16(QByteArray &bytes, qsizetype at, quint16 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

inline void setLittleEndian32(QByteArray &bytes, qsizetype at, quint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}
