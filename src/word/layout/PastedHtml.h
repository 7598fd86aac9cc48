#pragma once

#include "textsystem/html/HtmlCodec.h"

#include <QSet>
#include <QString>

// HTML that arrives by a paste or a drop, bounded as an opened page is
// (HtmlCodec::bounded). The pictures it names from the picture data that
// came with it are no page's pictures to be read: they are not counted
// against the page's picture limit. Their <img> tags, as this program writes
// them, are set aside while the page is bounded, up to `setAsideLimit` of
// them; the others count as any picture does.
namespace PastedHtml {

HtmlCodec::BoundedHtml bounded(const QString &html, const QSet<QString> &carriedNames, qsizetype setAsideLimit);

} // namespace PastedHtml
