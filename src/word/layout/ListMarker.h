#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>

class QPainter;
class QTextBlock;

// The marker of a list paragraph, drawn as text: the item's number with the
// list's prefix and suffix ("3.", "(c)"), or the bullet character of the
// list's style. It takes the font and colour of the paragraph's first
// character, stands on the first line's baseline and ends a third of its
// font's em before where the first line's text starts (begins that far
// after it in right-to-left text), so it follows the text's indent and
// alignment.
class ListMarker
{
public:
    // The marker of `block`, laid out and placed (in the document layout's
    // coordinates); an empty one when the block is no list item, its list
    // shows no marker, or it has no line yet.
    static ListMarker of(const QTextBlock &block);

    bool isEmpty() const { return m_text.isEmpty(); }
    QString text() const { return m_text; }
    QColor color() const { return m_color; }
    // The marker's box: its advance, and the font's ascent and descent
    // about the baseline.
    QRectF rect() const { return m_rect; }

    // Draws the marker in `color` (its own when invalid; the painter's pen
    // when it has none either). Leaves the painter's font, and its pen
    // when a colour was given, set to the marker's.
    void paint(QPainter *painter, const QColor &color = QColor()) const;

private:
    QString m_text;
    QFont m_font;
    QColor m_color;
    QPointF m_origin; // start of the baseline
    QRectF m_rect;
};
