#pragma once

#include <QTextOption>
#include <QtGlobal>

class QTextBlock;
class QTextBlockFormat;

// Breaks a paragraph into lines and places them in its QTextLayout, from
// the paragraph's format, within a line length. Positions are relative to
// the paragraph's top left corner at the start of the line length; lengths
// are in pixels.
//
// - Margins: the left and right margins of the format stay on their sides;
//   the indent (of the paragraph and of its list, in steps of the
//   document's indent width) and the first line's extra indent (negative:
//   the first line hangs out) are on the side where the text starts, the
//   right for right-to-left text.
// - Breaks: at word boundaries, and anywhere within a word (or picture)
//   longer than the line; none in a paragraph whose lines may not break.
//   The time grows with the paragraph's length, also along a word that
//   fills many lines.
// - Heights: a line's natural height is its tallest font's line spacing
//   (or tallest picture), rounded up to a whole pixel. The format's line
//   height makes the advance from one line to the next and says where the
//   text stands in it (LineBox).
// - Alignment: left and right are the start and the end of the text unless
//   the alignment is absolute; centred and justified lines as QTextLayout
//   sets them.
class ParagraphLines
{
public:
    struct Margins
    {
        qreal left = 0;
        qreal right = 0;
        qreal firstLine = 0; // the first line's extra indent at the start
    };

    // The space a line takes from one line's top to the next's, and where
    // the text's own box (its natural height) stands in it: single and
    // proportional heights put the text at the top (what is added or taken
    // is below it), a fixed height centres it (it may overflow both ways),
    // an "at least" height puts the text at the bottom of what it adds.
    struct LineBox
    {
        qreal advance = 0;
        qreal textTop = 0;
    };

    struct Measures
    {
        qreal height = 0;        // the sum of the lines' advances
        qreal contentsRight = 0; // right end of the longest line plus the right margin
        qreal naturalWidth = 0;  // of all the lines' text together
        qreal sideMargins = 0;   // left and right together, indents included
        int lines = 0;
    };

    static Margins marginsOf(const QTextBlock &block);
    static LineBox lineBox(const QTextBlockFormat &format, qreal naturalHeight);
    // The option the paragraph's lines are laid out with: direction, tabs,
    // wrapping and the alignment turned into an absolute one.
    static QTextOption optionOf(const QTextBlock &block);
    // Lays out the lines of `block` within `lineLength` (none or negative:
    // lines break only where the text does).
    static Measures layOut(const QTextBlock &block, qreal lineLength);

    // For tests: how many lines so far were broken at word boundaries
    // within a word longer than the line (each such line measures the
    // whole rest of the word, so laying out a long word that way takes
    // time that grows with the square of its length).
    static int longWordLinesBrokenAtWords();
};
