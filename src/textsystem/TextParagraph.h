#pragma once

#include "textsystem/TextRange.h"

// One paragraph of a text: `content` without its terminator, `enclosing` with
// it (equal to `content` for a last paragraph without terminator).
struct TextParagraph
{
    TextRange content;
    TextRange enclosing;

    friend constexpr bool operator==(TextParagraph, TextParagraph) = default;
};
