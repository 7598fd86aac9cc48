#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Writes a compound file (version 3, 512-byte sectors) holding streams at
// its root. Streams under 4,096 bytes go into the mini stream, as readers
// expect; the directory is a balanced red-black tree in the container's
// name order.
class CompoundFileWriter
{
public:
    // Adds a stream at the root. Returns false, adding nothing, for a name
    // that is empty, longer than 31 UTF-16 units, holds '/', '\\', ':' or
    // '!', or is already taken (names compare case-insensitively).
    bool addStream(const QString &name, const QByteArray &bytes);

    // The class id of the root storage (16 bytes as stored), e.g. the one
    // that marks a Word document. All zero when unset; other lengths are
    // ignored.
    void setRootClassId(const QByteArray &classId);

    // The whole container.
    QByteArray toBytes() const;

private:
    struct Stream {
        QString name;
        QByteArray bytes;
    };

    QList<Stream> m_streams;
    QByteArray m_rootClassId;
};
