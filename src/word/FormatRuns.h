#pragma once

#include <QTextCharFormat>
#include <functional>

class PageTextItem;

// Changing the character formats of a text item's selection run by run, or
// the typing format when there is only a caret.
namespace FormatRuns {

using Change = std::function<void(QTextCharFormat &)>;
using Probe = std::function<bool(const QTextCharFormat &)>;

// Applies `change` to the format of every run of the selection, in one undo
// step, or to the typing format with a caret only. Pictures keep being
// pictures; the outline pen follows a changed font size.
void modify(PageTextItem *item, const Change &change);

// Whether any run of the selection, or the typing format with a caret only,
// satisfies `probe`.
bool any(PageTextItem *item, const Probe &probe);

} // namespace FormatRuns
