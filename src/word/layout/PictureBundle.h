#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// The pictures a copy of the word processor's text carries beside its HTML,
// as self-contained bytes (the system clipboard hands them to another
// running copy of the program): each picture file under the name its
// <img src> uses in that HTML. Reading never trusts the bytes: sizes are
// checked against what is left and against the limits below.
struct PictureBundle
{
    static const QString mimeType;
    // Limits of one bundle, checked when it is written and when it is read.
    static constexpr qsizetype maximumBytes = 256 * 1024 * 1024;
    static constexpr qsizetype maximumPictures = 4096;
    static constexpr qsizetype maximumNameBytes = 64 * 1024;

    struct Picture
    {
        QString name;     // the <img src> of the HTML
        QString fileName; // the attachment's file name, often empty
        QByteArray bytes; // the picture file
    };

    PictureBundle() = default;
    // A bundle whose serialized bytes stay within `byteLimit` (at most
    // maximumBytes) rather than maximumBytes.
    explicit PictureBundle(qsizetype byteLimit) : m_byteLimit(qMin(byteLimit, maximumBytes)) {}

    QList<Picture> pictures;

    // Adds `picture` unless the bundle would pass its limits; false then.
    bool add(Picture picture);
    const Picture *find(const QString &name) const;

    QByteArray serialized() const;
    // The bundle `bytes` hold; nothing when they are not one, are cut short
    // or pass the limits.
    static std::optional<PictureBundle> parse(QByteArrayView bytes);

private:
    qsizetype m_byteLimit = maximumBytes;
    qsizetype m_size = 0;
};
