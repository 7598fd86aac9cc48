#pragma once

#include <QObject>
#include <QTextObjectInterface>

class QTextDocument;

// Keeps pictures upright in vertical writing. The text is laid out turned a
// quarter clockwise there, so the stock picture handler would lay a picture
// along the column and draw it on its side. This handler takes its place in
// the document's layout: in vertical writing it gives the layout the
// picture's turned size (its height along the column, its width across) and
// draws it turned back a quarter; in horizontal writing it hands over to the
// stock handler unchanged.
class UprightPictureHandler : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    // Takes over the picture handler of `document`'s current layout.
    UprightPictureHandler(QTextDocument *document, QObject *parent);

    bool isVertical() const { return m_vertical; }
    // Switches the direction and lays out again the paragraphs that hold a
    // picture.
    void setVertical(bool vertical);

    QSizeF intrinsicSize(QTextDocument *document, int position, const QTextFormat &format) override;
    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *document, int position,
                    const QTextFormat &format) override;

private:
    QTextDocument *m_document;
    QTextObjectInterface *m_stock;
    bool m_vertical = false;
};
