#pragma once

#include "PictureBundle.h"

#include "textsystem/TextAttachment.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QMimeData>
#include <QTextDocumentFragment>

// What a copy, cut or drag of the word processor's text carries: a snapshot
// of the selection and of its pictures' files, each format made the first
// time it is asked for (a selection is offered to the system's selection
// clipboard each time it is made, and most offers are never read).
//
// The object itself keeps every picture whole, whatever its size: a paste of
// this same object within the program (the clipboard while it is still ours,
// a drag within the program) takes them from pictures(). The formats read by
// other processes keep to Limits:
// - ownHtmlType and PictureBundle::mimeType, for another running copy of
//   the program: the HTML naming the pictures, and the pictures' files that
//   fit the bundle's limit;
// - text/html for other programs, each picture embedded as a data: URI while
//   the embedded files stay within their bound (the rest are left out);
// - text/plain; and a selection of one picture also as the picture itself
//   (image/png, and as a QImage for this process).
class TransferData : public QMimeData
{
    Q_OBJECT
public:
    // A picture of the selection: its file, under the name the selection's
    // HTML gives it, and the picture as its document holds it (null when it
    // holds none), for a paste within the program to show without decoding
    // it again.
    struct Picture
    {
        PictureBundle::Picture file;
        TextAttachmentPointer shown;
    };
    // In the order the selection shows them.
    using Pictures = QList<Picture>;

    struct Limits
    {
        // The serialized picture data another running copy may read.
        qsizetype bundleBytes = PictureBundle::maximumBytes;
        // The picture files embedded in the HTML for other programs, in all.
        qsizetype embeddedBytes = 32 * 1024 * 1024;
    };

    static const QString ownHtmlType;

    // `image` as the bytes of a PNG file.
    static QByteArray pngBytes(const QImage &image);

    // `lonePicture`: the picture the selection is made of alone, else null.
    TransferData(const QTextDocumentFragment &selection, Pictures pictures, const QImage &lonePicture,
                 const Limits &limits);

    const Pictures &pictures() const { return m_pictures; }

    bool hasFormat(const QString &mimeType) const override;
    QStringList formats() const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    QByteArray made(const QString &mimeType) const;
    QByteArray make(const QString &mimeType) const;
    QString htmlForOtherPrograms() const;

    QTextDocumentFragment m_selection;
    Pictures m_pictures;
    QImage m_lonePicture;
    Limits m_limits;
    mutable QHash<QString, QByteArray> m_made;
};
