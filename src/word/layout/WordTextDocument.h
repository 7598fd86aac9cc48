#pragma once

#include "textsystem/TextAttachment.h"

#include <QHash>
#include <QImage>
#include <QTextDocument>

class PictureCache;

// The word processor's one live document. It loads no resource from
// anywhere: only pictures it holds (its resources) and "data:" URIs are
// shown; any other name (a path, a device, a network address) gives nothing.
// The default QTextDocument would read whatever file an <img src> names.
// A picture's original bytes travel in its format's attachment property.
class WordTextDocument : public QTextDocument
{
    Q_OBJECT
public:
    explicit WordTextDocument(QObject *parent = nullptr);

    // Holds `image` under a new name and returns the name to put in a
    // QTextImageFormat.
    QString addPicture(const QImage &image);

    // Holds the picture file `bytes` under a name made from the bytes
    // themselves, so the name never shows a different picture of this
    // document; bytes held already are reused, not decoded again. Returns
    // the name and the picture at its natural size, or a null picture when
    // the bytes are none (or `cache`'s budget is spent).
    struct HeldPicture
    {
        QString name;
        TextAttachmentPointer attachment;
    };
    HeldPicture holdPicture(const QByteArray &bytes, PictureCache &cache);
    // The same for a picture a document of this program shows (its file in
    // `shown`'s contents), without decoding it again: the picture is shared.
    HeldPicture holdPicture(const TextAttachmentPointer &shown);

    // The bytes of a "data:" URI with base64 or percent-encoded payload, or an
    // empty array when `uri` is not one or is too large to hold a picture.
    static QByteArray dataUriBytes(const QString &uri);

    // The font that text without its own font shows in.
    static QFont standardFont();

protected:
    QVariant loadResource(int type, const QUrl &name) override;

private:
    // The name of held picture file `bytes`, made from the bytes themselves.
    static QString heldName(const QByteArray &bytes);
    // The picture held under `name`, when it still is.
    TextAttachmentPointer held(const QString &name) const;
    HeldPicture hold(const QString &name, const TextAttachmentPointer &picture);

    int m_nextPicture = 1;
    QHash<QString, TextAttachmentPointer> m_heldPictures;
};
