#pragma once

#include "WordArtStyle.h"

#include <QColor>
#include <QString>

class PageTextItem;

// The ribbon's formatting commands. Each acts on the text item it is given
// (the screen passes null when its text view is not where the focus was
// last, and then nothing happens): on the selection, or with only a caret
// on the format of what is typed next. A change over a selection is one
// undo step. Whether an attribute is set is always read from the text.
class TextFormattingHelper
{
public:
    static void applyFontFamily(PageTextItem *item, const QString &family);
    // `size` in points, drawn as pixels.
    static void applyFontSize(PageTextItem *item, qreal size);
    // "タイトル" 32 bold, "見出し1" 24 bold, "見出し2" 18 bold, "見出し3" 15
    // bold, anything else (the body style "本文") 13 regular; fonts only.
    static void applyParagraphStyle(PageTextItem *item, const QString &style);
    // Makes the text bold; bold text (and heavier) stays as it is.
    static void addBold(PageTextItem *item);
    // Upright when any selected run is italic, italic otherwise.
    static void toggleItalic(PageTextItem *item);
    // No underline when any selected run is underlined, single otherwise.
    static void toggleUnderline(PageTextItem *item);
    static void toggleStrikethrough(PageTextItem *item);
    // Alignment of the paragraphs the selection touches.
    static void applyAlignment(PageTextItem *item, Qt::Alignment alignment);
    static void applyTextColor(PageTextItem *item, const QColor &color);
    // A fully transparent colour removes the highlight.
    static void applyHighlightColor(PageTextItem *item, const QColor &color);
    static void applyWordArtStyle(PageTextItem *item, WordArtStyle style);

    // The size, bold and family of a paragraph style name.
    struct ParagraphStyle
    {
        int size;
        bool bold;
    };
    static ParagraphStyle paragraphStyle(const QString &name);
};
