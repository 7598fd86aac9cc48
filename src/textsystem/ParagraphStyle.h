#pragma once

#include "textsystem/RealEquality.h"
#include "textsystem/TextList.h"

#include <QList>

enum class TextAlignment { Natural, Left, Right, Center, Justified };

// Layout of a paragraph, carried by its characters. Lengths in points, stored
// as given (NaN and negative values included; writers check them). A value of
// 0 means "not set" for spacing, line height and line spacing.
struct ParagraphStyle
{
    TextAlignment alignment = TextAlignment::Natural;
    double spacingBefore = 0.0;
    double spacingAfter = 0.0;
    double lineHeightMultiple = 0.0;
    double lineSpacing = 0.0;
    double headIndent = 0.0;
    double firstLineHeadIndent = 0.0;
    // Positive: from the leading margin; negative: from the trailing margin.
    double tailIndent = 0.0;
    // The lists the paragraph belongs to, outermost first; empty when none.
    QList<TextList> textLists;

    friend bool operator==(const ParagraphStyle &a, const ParagraphStyle &b)
    {
        return a.alignment == b.alignment && sameReal(a.spacingBefore, b.spacingBefore)
            && sameReal(a.spacingAfter, b.spacingAfter) && sameReal(a.lineHeightMultiple, b.lineHeightMultiple)
            && sameReal(a.lineSpacing, b.lineSpacing) && sameReal(a.headIndent, b.headIndent)
            && sameReal(a.firstLineHeadIndent, b.firstLineHeadIndent) && sameReal(a.tailIndent, b.tailIndent)
            && a.textLists == b.textLists;
    }
};
