#include "ImageDrawing.h"

#include "docx/writer/DocXNamespaces.h"
#include "docx/writer/DocXUnits.h"

#include <cmath>

namespace ImageDrawing {

namespace {

const double emuPerInch = 914400.0;

QString number(qint64 value) { return QString::number(value); }

XmlElement::Attributes extentAttributes(Extent extent)
{
    return {{QStringLiteral("cx"), number(extent.cx)}, {QStringLiteral("cy"), number(extent.cy)}};
}

XmlElement::Attributes drawingProperties(const ImageRelationship &image, qint64 drawingId)
{
    XmlElement::Attributes attributes{{QStringLiteral("id"), number(drawingId)},
                                      {QStringLiteral("name"), QStringLiteral("image")}};
    if (image.description && !image.description->isEmpty())
        attributes[QStringLiteral("descr")] = *image.description;
    return attributes;
}

Extent imageExtent(const ImageRelationship &image)
{
    const TextAttachment &attachment = *image.attachment;
    return extent(image.widthFraction, image.pageDefinition, attachment.bounds, attachment.naturalSize());
}

XmlElement zeroEffectExtent()
{
    return XmlElement(QStringLiteral("wp:effectExtent"), std::nullopt,
                      {{QStringLiteral("l"), QStringLiteral("0")},
                       {QStringLiteral("t"), QStringLiteral("0")},
                       {QStringLiteral("r"), QStringLiteral("0")},
                       {QStringLiteral("b"), QStringLiteral("0")}});
}

XmlElement graphicFrameProperties()
{
    XmlElement properties(QStringLiteral("wp:cNvGraphicFramePr"));
    properties.addChild(QStringLiteral("a:graphicFrameLocks"), std::nullopt,
                        {{QStringLiteral("xmlns:a"), DocXNamespace::drawingMain},
                         {QStringLiteral("noChangeAspect"), QStringLiteral("1")}});
    return properties;
}

XmlElement graphic(Extent extent, const XmlElement::Attributes &properties, const QString &relationshipId)
{
    XmlElement graphic(QStringLiteral("a:graphic"), std::nullopt, {{QStringLiteral("xmlns:a"), DocXNamespace::drawingMain}});
    graphic.addChild(QStringLiteral("a:graphicData"), std::nullopt, {{QStringLiteral("uri"), DocXNamespace::drawingPicture}})
        .addChild(pictureElement(extent, properties, relationshipId));
    return graphic;
}

// w:r holding w:rPr/w:noProof and w:drawing around `placement`.
XmlElement drawingRun(XmlElement placement)
{
    XmlElement run(QStringLiteral("w:r"));
    run.addChild(QStringLiteral("w:rPr")).addChild(QStringLiteral("w:noProof"));
    run.addChild(QStringLiteral("w:drawing"), std::nullopt, {{QStringLiteral("xmlns:a"), DocXNamespace::drawingMain}})
        .addChild(std::move(placement));
    return run;
}

double scaleToFit(QSizeF size, const PageDefinition &page)
{
    const double textWidth = page.textWidth();
    const double textHeight = page.textHeight();
    if (size.height() > textHeight || size.width() > textWidth)
        return qMin(textHeight / size.height(), textWidth / size.width());
    return 1.0;
}

} // namespace

Extent extent(std::optional<double> widthFraction, const std::optional<PageDefinition> &page, const QRectF &bounds,
              QSizeF naturalSize)
{
    const bool naturalSizeKnown = naturalSize.width() > 0 && naturalSize.height() > 0;
    if (widthFraction && *widthFraction > 0 && page && naturalSizeKnown) {
        const double cx = page->textWidth() / 72.0 * emuPerInch * *widthFraction;
        const double cy = naturalSize.height() / naturalSize.width() * cx;
        return {DocXUnits::emuFromEmuValue(cx), DocXUnits::emuFromEmuValue(cy)};
    }
    QSizeF size = bounds.isEmpty() ? naturalSize : bounds.size();
    if (page) {
        const double scale = scaleToFit(size, *page);
        if (std::isfinite(scale) && scale > 0)
            size *= scale;
    }
    return {DocXUnits::emu(size.width()), DocXUnits::emu(size.height())};
}

XmlElement pictureElement(Extent extent, const XmlElement::Attributes &drawingProperties,
                          const QString &relationshipId)
{
    XmlElement picture(QStringLiteral("pic:pic"), std::nullopt,
                       {{QStringLiteral("xmlns:pic"), DocXNamespace::drawingPicture}});
    XmlElement &nonVisual = picture.addChild(QStringLiteral("pic:nvPicPr"));
    nonVisual.addChild(QStringLiteral("pic:cNvPr"), std::nullopt, drawingProperties);
    nonVisual.addChild(QStringLiteral("pic:cNvPicPr"))
        .addChild(QStringLiteral("a:picLocks"), std::nullopt, {{QStringLiteral("noChangeAspect"), QStringLiteral("1")}});

    XmlElement &fill = picture.addChild(QStringLiteral("pic:blipFill"));
    fill.addChild(QStringLiteral("a:blip"), std::nullopt, {{QStringLiteral("r:embed"), relationshipId}})
        .addChild(QStringLiteral("a:extLst"));
    fill.addChild(QStringLiteral("a:stretch")).addChild(QStringLiteral("a:fillRect"));

    XmlElement &shape = picture.addChild(QStringLiteral("pic:spPr"));
    XmlElement &transform = shape.addChild(QStringLiteral("a:xfrm"));
    transform.addChild(QStringLiteral("a:off"), std::nullopt, {{QStringLiteral("x"), QStringLiteral("0")},
                                                               {QStringLiteral("y"), QStringLiteral("0")}});
    transform.addChild(QStringLiteral("a:ext"), std::nullopt, extentAttributes(extent));
    shape.addChild(QStringLiteral("a:prstGeom"), std::nullopt, {{QStringLiteral("prst"), QStringLiteral("rect")}})
        .addChild(QStringLiteral("a:avLst"));
    return picture;
}

XmlElement inlineRun(const ImageRelationship &image, qint64 drawingId)
{
    const Extent size = imageExtent(image);
    const XmlElement::Attributes properties = drawingProperties(image, drawingId);
    XmlElement placement(QStringLiteral("wp:inline"), std::nullopt,
                         {{QStringLiteral("distT"), QStringLiteral("0")},
                          {QStringLiteral("distB"), QStringLiteral("0")},
                          {QStringLiteral("distL"), QStringLiteral("0")},
                          {QStringLiteral("distR"), QStringLiteral("0")}});
    placement.addChild(QStringLiteral("wp:extent"), std::nullopt, extentAttributes(size));
    placement.addChild(zeroEffectExtent());
    placement.addChild(QStringLiteral("wp:docPr"), std::nullopt, properties);
    placement.addChild(graphicFrameProperties());
    placement.addChild(graphic(size, properties, image.relationshipId));
    return drawingRun(std::move(placement));
}

XmlElement anchoredRun(DocXImageAttachment::Flow flow, const ImageRelationship &image, qint64 drawingId)
{
    const bool left = flow == DocXImageAttachment::Flow::Left;
    const Extent size = imageExtent(image);
    const XmlElement::Attributes properties = drawingProperties(image, drawingId);
    XmlElement placement(QStringLiteral("wp:anchor"), std::nullopt,
                         {{QStringLiteral("distT"), QStringLiteral("0")},
                          {QStringLiteral("distB"), QStringLiteral("0")},
                          {QStringLiteral("distL"), left ? QStringLiteral("0") : QStringLiteral("91440")},
                          {QStringLiteral("distR"), left ? QStringLiteral("91440") : QStringLiteral("0")},
                          {QStringLiteral("simplePos"), QStringLiteral("0")},
                          {QStringLiteral("relativeHeight"), QStringLiteral("0")},
                          {QStringLiteral("behindDoc"), QStringLiteral("0")},
                          {QStringLiteral("locked"), QStringLiteral("0")},
                          {QStringLiteral("layoutInCell"), QStringLiteral("1")},
                          {QStringLiteral("allowOverlap"), QStringLiteral("1")}});
    placement.addChild(QStringLiteral("wp:simplePos"), std::nullopt,
                       {{QStringLiteral("x"), QStringLiteral("0")}, {QStringLiteral("y"), QStringLiteral("0")}});
    placement.addChild(QStringLiteral("wp:positionH"), std::nullopt, {{QStringLiteral("relativeFrom"), QStringLiteral("column")}})
        .addChild(QStringLiteral("wp:align"), left ? QStringLiteral("left") : QStringLiteral("right"));
    placement.addChild(QStringLiteral("wp:positionV"), std::nullopt,
                       {{QStringLiteral("relativeFrom"), QStringLiteral("paragraph")}})
        .addChild(QStringLiteral("wp:posOffset"), QStringLiteral("0"));
    placement.addChild(QStringLiteral("wp:extent"), std::nullopt, extentAttributes(size));
    placement.addChild(zeroEffectExtent());
    placement.addChild(QStringLiteral("wp:wrapSquare"), std::nullopt, {{QStringLiteral("wrapText"), QStringLiteral("bothSides")}});
    placement.addChild(QStringLiteral("wp:docPr"), std::nullopt, properties);
    placement.addChild(graphicFrameProperties());
    placement.addChild(graphic(size, properties, image.relationshipId));
    return drawingRun(std::move(placement));
}

XmlElement run(const ImageRelationship &image, qint64 drawingId)
{
    return image.flow ? anchoredRun(*image.flow, image, drawingId) : inlineRun(image, drawingId);
}

} // namespace ImageDrawing
