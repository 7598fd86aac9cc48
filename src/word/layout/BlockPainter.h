#pragma once

#include <QColor>
#include <QHash>
#include <QPainterPath>
#include <QRawFont>
#include <QRectF>
#include <QString>

class QPainter;
class QTextBlock;
class QImage;
class QTextCharFormat;
class QTextDocument;
class QTextLayout;
class QTextLine;

// Draws the lines of laid-out blocks glyph run by glyph run, for what
// QTextLayout::draw cannot do: vertical writing, where some characters stand
// upright in a layout turned a quarter clockwise, and the shadow pass, which
// draws only shadowed runs, in their shadow colour, offset and blurred.
// Coordinates are the document layout's (the text item's).
class BlockPainter
{
public:
    enum class Orientation { Horizontal, Vertical };

    struct Colors
    {
        QColor text = Qt::black;
        QColor highlight;
        QColor highlightedText;
    };

    BlockPainter(QPainter *painter, Orientation orientation, const Colors &colors);

    // Selected document positions [start, end); an empty range selects nothing.
    void setSelection(int start, int end);

    // Draws the block's backgrounds, selection, text and pictures whose lines
    // meet `clip`, and its list marker.
    void paintBlock(const QTextBlock &block, const QRectF &clip);
    // Draws the shadows of the block's shadowed runs that can fall into `clip`.
    void paintShadows(const QTextBlock &block, const QRectF &clip);
    // A caret at document position `position` of `block`.
    void paintCaret(const QTextBlock &block, int position, qreal width);
    // Where that caret stands, `width` along the line and as thick across
    // it as the font at the caret (the typing font after a picture).
    static QRectF caretRect(const QTextBlock &block, int position, qreal width);

    // Blurs `image` (premultiplied ARGB) in place with a radius of `radius` pixels.
    static void blur(QImage &image, qreal radius);

private:
    // Takes `block` as the one being painted, with the text being composed
    // in it when `withPreedit`; false when it has no layout.
    bool begin(const QTextBlock &block, bool withPreedit);

    struct Piece
    {
        int start; // layout positions
        int end;
    };

    void paintLine(const QTextBlock &block, const QTextLine &line, const QRectF &clip);
    void paintMarker(const QTextBlock &block);
    void paintRange(const QTextLine &line, Piece piece, const QTextCharFormat &format,
                    const QColor &color, int documentPosition);
    void paintObject(const QTextLine &line, Piece piece, const QTextCharFormat &format, int documentPosition);
    void paintTurnedGlyphs(const QTextLine &line, Piece piece, const QTextCharFormat &format,
                           const QColor &color);
    void paintUprightCharacter(const QTextLine &line, Piece piece, const QTextCharFormat &format,
                               const QColor &color, bool upperRight);
    void paintShadowRange(const QTextLine &line, Piece piece, const QTextCharFormat &format);
    QRectF cellRect(const QTextLine &line, Piece piece) const;
    QPainterPath glyphPath(const QRawFont &font, quint32 glyph);
    int layoutPosition(int blockPosition) const;

    QPainter *m_painter;
    Orientation m_orientation;
    Colors m_colors;
    int m_selectionStart = 0;
    int m_selectionEnd = 0;
    // Of the block being painted.
    const QTextDocument *m_document = nullptr;
    const QTextLayout *m_layout = nullptr;
    QString m_layoutText;
    int m_blockPosition = 0;
    int m_preeditPosition = -1;
    int m_preeditLength = 0;
    // Outlines of the glyphs drawn outlined or as shadows, read from the
    // font once per paint: a page of WordArt asks for the same few again
    // and again.
    QHash<std::pair<QRawFont, quint32>, QPainterPath> m_glyphPaths;
};
