#pragma once

#include <QAbstractTextDocumentLayout>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QList>
#include <QRectF>

class QTextDocument;

// The word processor's document layout. Paragraphs stand one below the
// other exactly where Qt's own document layout puts them (the same line
// breaking, margins, line heights and fixed-point rounding, so the same
// pixels are drawn), but a paragraph is laid out only when it is drawn,
// hit, measured or edited:
// - a small edit lays out the paragraphs it touches at once, as Qt does,
//   and moves the ones below without touching them;
// - a change of the whole text, of the line length, or a newly put-in text
//   lays out nothing at once: each paragraph keeps its last height (a new
//   one gets an estimate from its length) until it is drawn or asked for,
//   and the rest is laid out a few milliseconds at a time while the user
//   does nothing, until every height is exact again.
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

    // Whether every paragraph is laid out, so every height is exact.
    bool isComplete() const { return m_pending == 0; }
    // Lays out every paragraph now.
    void completeLayout() const;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;
    void resizeInlineObject(QTextInlineObject item, int posInDocument, const QTextFormat &format) override;
    void timerEvent(QTimerEvent *event) override;

private:
    // Lengths are in Qt's 26.6 fixed point, as Qt's layout keeps them.
    struct Paragraph
    {
        int height = 0;        // from the top of its first line to below its last
        int contentsWidth = 0; // end of its widest line plus its right margin
        int naturalWidth = 0;  // of all its lines together
        int lines = 0;
        qreal topMargin = 0;
        qreal bottomMargin = 0;
        bool shown = true;
        bool laidOut = false;
    };
    // The root frame's measures, read from its format and the page size.
    struct Frame
    {
        int left = 0;  // where lines start
        int width = 0; // the line length
        int top = 0;
        int bottom = 0; // below the last paragraph
        int marginWidth = 0;
        int leftMargin = 0;
        int rightMargin = 0;
    };

    Frame readFrame() const;
    bool canLayout() const;
    Paragraph describe(const QTextBlock &block) const;
    int estimatedHeight(const QTextBlock &block, const Paragraph &previous, int oldWidth) const;
    void layoutParagraph(int index, const QTextBlock &block) const;
    void breakLines(Paragraph &paragraph, const QTextBlock &block) const;
    void ensureLaidOut(int index, const QTextBlock &block) const;
    int topOf(int index) const;
    int gapBefore(int index) const;
    int endY() const;
    int indexAt(int y) const;
    void place(int index, const QTextBlock &block) const;
    void rebuild();
    void replace(const QTextBlock &first, int lastIndex, int lastOldIndex);
    void relayoutAll();
    void heightsChanged(int index) const;
    void markStale(qreal top) const;
    void layoutSomePending();
    void drawBlock(QPainter *painter, const PaintContext &context, const QTextBlock &block,
                   const QRectF &clipRect) const;
    void drawListItem(QPainter *painter, const PaintContext &context, const QTextBlock &block,
                      const QTextCharFormat *selectionFormat) const;
    qreal deviceScale() const;

    // Every member below is a cache of the document's layout; const
    // functions fill it in as they lay paragraphs out.
    mutable QList<Paragraph> m_paragraphs; // by block number
    mutable QList<int> m_tops;             // valid below m_validTops
    mutable int m_validTops = 0;
    mutable int m_pending = 0;      // paragraphs not laid out
    mutable int m_firstPending = 0; // none laid out before this one is pending
    mutable int m_widestContents = 0;
    mutable bool m_widestKnown = false;
    mutable QRectF m_staleArea; // drawn from old heights: to be repainted
    mutable QElapsedTimer m_staleClock; // since the area became stale
    mutable bool m_sizeChanged = false;
    mutable QBasicTimer m_idle;
    mutable QElapsedTimer m_sizeClock; // since the size changed unreported
    QSizeF m_reportedSize;
    Frame m_frame;
    // The standard font's measures, for estimates.
    qreal m_characterWidth = 6;
    int m_lineHeight = 14 * 64;
    int m_lineWidth = -1; // the line length the heights were found for
    int m_cursorWidth = 1;
};
