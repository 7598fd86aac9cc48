#pragma once

#include <QString>

// What Qt's import loses of a block's style attribute, carried past it.
namespace HtmlBlockStyles {

// `html` with align="justify" added to each start tag whose style attribute
// ends its text-align at justify: Qt's CSS reading knows left, center and
// right only, its align attribute justify too.
QString withJustifyAttributes(const QString &html);

} // namespace HtmlBlockStyles
