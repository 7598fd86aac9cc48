#pragma once

#include <QObject>
#include <QTextObjectInterface>

class QTextDocument;

// Measures and draws the pictures of the word processor's document with
// Qt's own picture handler, but only pictures the document holds. Qt's
// handler reads whatever file a picture's name points to when the document
// has no picture of that name (a pasted <img src="/home/...">); here such a
// picture shows as Qt shows one it cannot find.
class DocumentPictureHandler : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    explicit DocumentPictureHandler(QObject *parent = nullptr);

    QSizeF intrinsicSize(QTextDocument *document, int position, const QTextFormat &format) override;
    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *document, int position,
                    const QTextFormat &format) override;

private:
    QTextFormat held(QTextDocument *document, const QTextFormat &format) const;

    QTextObjectInterface *m_qtHandler = nullptr;
};
