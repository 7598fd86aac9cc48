#pragma once

class PageTextItem;

// The bullet and numbered list commands. They type or remove "• " and
// "N. " at the starts of the paragraphs the selection touches; every other
// character, format and picture stays, and the change is one undo step.
// Empty paragraphs get no marker; a selection that ends at the very start of
// a paragraph leaves that paragraph out. A paragraph that already belongs to
// a list (one read from a file, drawn with its own marker) counts as listed:
// the command takes it out of the list rather than type a second marker.
namespace ListToggle {

// Each paragraph on its own: one starting with "• " loses it, any other gets it.
void toggleBullets(PageTextItem *item);

// The first paragraph decides: when it starts with digits, a full stop and
// a white space character, every paragraph starting so loses that; otherwise
// every paragraph gets "1. ", "2. "... counting the ones that get a number.
void toggleNumbers(PageTextItem *item);

} // namespace ListToggle
