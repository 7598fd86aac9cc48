#pragma once

#include "UprightCells.h"

#include <QAbstractTextDocumentLayout>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QFont>
#include <QList>
#include <QRectF>

class QTextDocument;

// The word processor's document layout. Paragraphs stand one below the
// other across the page's line length, each laid out by ParagraphLines and
// drawn by ParagraphPainter; the space between two paragraphs is the larger
// of the one's space after and the next's space before. A paragraph is laid
// out only when it is drawn, hit, measured or edited:
// - a small edit lays out the paragraphs it touches at once and moves the
//   ones below without touching them;
// - a change of the whole text, of the line length, or a newly put-in text
//   lays out nothing at once: each paragraph keeps its last height (scaled
//   once to a new line length; a new one gets an estimate from its length)
//   until it is drawn or asked for, and the rest is laid out a few
//   milliseconds at a time while the user does nothing, until every height
//   is exact again. What was drawn from heights that turned out different
//   is repainted then.
// Tables and other frames are not laid out as such: their paragraphs flow
// like the others, as the text is saved.
class PageTextLayout : public QAbstractTextDocumentLayout
{
    Q_OBJECT
    Q_PROPERTY(int cursorWidth READ cursorWidth WRITE setCursorWidth)
public:
    explicit PageTextLayout(QTextDocument *document);

    void draw(QPainter *painter, const PaintContext &context) override;
    int hitTest(const QPointF &point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override;
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame *frame) const override;
    QRectF blockBoundingRect(const QTextBlock &block) const override;

    int cursorWidth() const { return m_cursorWidth; }
    void setCursorWidth(int width) { m_cursorWidth = width; }

    // The shown paragraphs that meet the band from `top` to `bottom`, in
    // order, laid out and in place.
    QList<QTextBlock> blocksIn(qreal top, qreal bottom) const;

    // Vertical writing: upright characters get cells as long as their
    // font is high (UprightCells). Lays out every paragraph anew.
    void setVertical(bool vertical);
    bool isVertical() const { return m_vertical; }

    // Whether every paragraph is laid out, so every height is exact.
    bool isComplete() const { return m_pending == 0; }
    // Lays out every paragraph now.
    void completeLayout() const;
    // Whether the catch-up in quiet time has ended: every paragraph is laid
    // out and what that changed (the size, what to repaint) is reported.
    bool isCaughtUp() const { return m_pending == 0 && !m_idle.isActive(); }

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;
    void resizeInlineObject(QTextInlineObject item, int posInDocument, const QTextFormat &format) override;
    void timerEvent(QTimerEvent *event) override;

private:
    // Lengths are in pixels.
    struct Paragraph
    {
        qreal height = 0;        // from the top of its first line to below its last
        qreal contentsRight = 0; // end of its longest line plus its right margin
        qreal naturalWidth = 0;  // of all its lines together
        qreal sideMargins = 0;
        int lines = 0;
        qreal spaceBefore = 0;
        qreal spaceAfter = 0;
        bool shown = true;
        bool laidOut = false;
    };
    // Where the text goes on the page, read from the root frame's format
    // and the page size.
    struct PageArea
    {
        qreal left = 0; // where lines start
        qreal top = 0;
        qreal lineLength = 0;
        qreal below = 0; // space below the last paragraph
        qreal sides = 0; // the margins left and right together
    };

    PageArea readPageArea() const;
    bool canLayout() const;
    void measureStandardFont();
    Paragraph describe(const QTextBlock &block) const;
    // A paragraph's height at the current line length from what is known
    // of it: its last layout (scaled by the lines its text would fill at
    // the new length) or, never laid out, its length in the standard font.
    void estimate(Paragraph &paragraph, const QTextBlock &block, qreal lineLengthBefore) const;
    // Sets the upright characters' cells of the paragraphs from `first` to `last`.
    void applyCells(const QTextBlock &first, const QTextBlock &last);
    void layoutParagraph(int index, const QTextBlock &block) const;
    void ensureLaidOut(int index, const QTextBlock &block) const;
    // Lays out and places paragraph `index`, repainting what moved below it
    // when its height was not the one drawn.
    void prepare(int index, const QTextBlock &block) const;
    qreal topOf(int index) const;
    qreal spaceBetween(int index) const;
    qreal endY() const;
    int indexAt(qreal y) const;
    int shownIndexAt(qreal y) const;
    QRectF boxOf(int index) const;
    void place(int index, const QTextBlock &block) const;
    void rebuild();
    void replace(const QTextBlock &first, int lastIndex, int lastOldIndex);
    void scaleToLineLength(qreal lineLengthBefore);
    void heightsChanged(int index) const;
    void markStale(qreal top) const;
    void layoutSomePending();
    void paintPageBackground(QPainter *painter, const QRectF &area) const;

    // Every member below is a cache of the document's layout; const
    // functions fill it in as they lay paragraphs out.
    mutable QList<Paragraph> m_paragraphs; // by block number
    mutable QList<qreal> m_tops;           // valid below m_validTops
    mutable int m_validTops = 0;
    mutable int m_pending = 0;      // paragraphs not laid out
    mutable int m_firstPending = 0; // none laid out before this one is pending
    mutable qreal m_widestContents = 0;
    mutable bool m_widestKnown = false;
    mutable QRectF m_staleArea; // drawn from old heights: to be repainted
    mutable QElapsedTimer m_staleClock; // since the area became stale
    mutable bool m_sizeChanged = false;
    mutable QBasicTimer m_idle;
    mutable QElapsedTimer m_sizeClock; // since the size changed unreported
    QSizeF m_reportedSize;
    PageArea m_page;
    // The standard font's measures, for estimates.
    QFont m_measuredFont;
    qreal m_characterWidth = 6;
    qreal m_lineSpacing = 14;
    qreal m_lineLength = -1; // the line length the heights were found for
    int m_cursorWidth = 1;
    UprightCells m_cells;
    bool m_vertical = false;
    bool m_switchingDirection = false;
};
