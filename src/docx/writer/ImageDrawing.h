#pragma once

#include "docx/writer/ImageRelationship.h"
#include "platform/XmlElement.h"

#include <QSizeF>
#include <QtGlobal>

// The run that shows a picture: inline in its line, or anchored to the
// paragraph and floating at the left or right of the column with square wrap.
namespace ImageDrawing {

struct Extent
{
    qint64 cx = 0;
    qint64 cy = 0;
    friend bool operator==(Extent, Extent) = default;
};

// Displayed size in EMU: a width fraction of the page's text width keeps the
// picture's aspect ratio; otherwise the attachment's bounds (or the natural
// size when they are empty), scaled down to fit the text area of the page.
// Each value is clamped to 0…the DrawingML maximum.
Extent extent(std::optional<double> widthFraction, const std::optional<PageDefinition> &page,
              const QRectF &bounds, QSizeF naturalSize);

// `drawingId` is the package-wide unique id of wp:docPr and pic:cNvPr.
XmlElement inlineRun(const ImageRelationship &image, qint64 drawingId);
XmlElement anchoredRun(DocXImageAttachment::Flow flow, const ImageRelationship &image, qint64 drawingId);
// The inline or anchored run, by the relationship's flow.
XmlElement run(const ImageRelationship &image, qint64 drawingId);

XmlElement pictureElement(Extent extent, const XmlElement::Attributes &drawingProperties,
                          const QString &relationshipId);

} // namespace ImageDrawing
