#pragma once

#include <QFont>
#include <QHash>
#include <QString>
#include <QTextLayout>

class QTextBlock;
class QTextFragment;

// Gives each upright character of vertical writing a cell along the line
// that its ink fits with a little room. The text is laid out turned a
// quarter, so an upright character's horizontal advance becomes its length
// along the column. As drawn (hinted and antialiased), the tallest
// ideographs of a CJK font often ink as many pixel rows as their one-em
// advance holds (Noto Sans CJK at 18 px: 18), and neighbours touch ("文書");
// there the cell grows to those rows and a gap of a sixteenth of an em, a
// pixel at least (about 1.06 em). Rows are counted as drawn up to 48 px;
// larger sizes scale what the same font needs at 48 px. Where the ink
// leaves that gap already, the advance stays. The difference is added as
// letter spacing through the paragraph's own layout formats, never through
// the document's character formats.
//
// Setting a layout's formats reports its paragraph as changed to the
// document, which folds that report into the next edit's; the layout sets
// them only while it handles a change (where the report is folded into the
// change at hand), so a keystroke never re-lays out paragraphs it did not
// touch.
class UprightCells
{
public:
    // The formats `block`'s layout needs: letter spacing on each run of
    // upright characters whose ink stands too high for their advance; none
    // in horizontal writing.
    QList<QTextLayout::FormatRange> rangesFor(const QTextBlock &block, bool vertical);
    // Sets them on `block`'s layout where they differ from its current ones.
    void apply(const QTextBlock &block, bool vertical);

    // For tests: how many glyphs were rasterized to count their ink rows.
    static int glyphsRasterized();

private:
    // What an upright character of `font` lacks along the line: the pixel
    // rows the tallest ideographs ink in the font that draws them, with the
    // gap, less their advance; never less than nothing. Measured once per
    // font up to ExactPixelSize; larger fonts scale the measure of the same
    // font at that size, so a text in a thousand large sizes rasterizes no
    // large glyph and lays out no probe per size.
    qreal extraFor(const QFont &font);
    qreal measuredExtraFor(const QFont &font);
    qreal scaledExtraFor(const QFont &font, qreal pixelSize);
    // The same for a character format of the document, by its index.
    qreal extraFor(const QTextBlock &block, const QTextFragment &fragment);

    static constexpr int ExactPixelSize = 48;
    // Each cache is emptied when it reaches this many entries.
    static constexpr qsizetype MaxFonts = 4096;

    QHash<QString, qreal> m_extraByFont;
    // Formats' fonts resolve against the document's standard font: the
    // extras by format hold while it stays the same.
    QHash<int, qreal> m_extraByFormat;
    QFont m_standardFont;
};
