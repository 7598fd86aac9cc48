#pragma once

#include <QHash>
#include <QImage>
#include <QTextDocument>

// The word processor's one live document. It loads no resource from
// anywhere: only pictures it holds (addPicture) and "data:" URIs are shown;
// any other name (a path, a device, a network address) gives nothing. The
// default QTextDocument would read whatever file an <img src> names.
//
// Each held picture keeps the bytes it came from, so saving can write the
// original file rather than a re-encoded one.
class WordTextDocument : public QTextDocument
{
    Q_OBJECT
public:
    explicit WordTextDocument(QObject *parent = nullptr);

    // Holds `image` decoded from `bytes` under a new name and returns the name
    // to put in a QTextImageFormat.
    QString addPicture(const QByteArray &bytes, const QImage &image);
    // The bytes held under `name`, or of a data: URI name; empty otherwise.
    QByteArray pictureBytes(const QString &name) const;
    bool holdsPicture(const QString &name) const { return m_pictureBytes.contains(name); }

    // The font that text without its own font shows in.
    static QFont standardFont();

    // Also forgets the held pictures.
    void clear() override;

protected:
    QVariant loadResource(int type, const QUrl &name) override;

private:
    QHash<QString, QByteArray> m_pictureBytes;
    int m_nextPicture = 1;
};
