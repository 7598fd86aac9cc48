#include "SlidePart.h"

#include "PptxNames.h"
#include "PptxNumber.h"

namespace {

QString booleanText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

XmlElement shape(const SlideObject &object)
{
    XmlElement sp(QStringLiteral("p:sp"), std::nullopt,
                  {{QStringLiteral("id"), object.id.toString(QUuid::WithoutBraces).toUpper()}});
    sp.addChild(QStringLiteral("p:type"), SlideObjectTypes::stringValue(object.type));
    sp.addChild(QStringLiteral("p:x"), PptxNumber::text(object.x));
    sp.addChild(QStringLiteral("p:y"), PptxNumber::text(object.y));
    sp.addChild(QStringLiteral("p:width"), PptxNumber::text(object.width));
    sp.addChild(QStringLiteral("p:height"), PptxNumber::text(object.height));
    sp.addChild(QStringLiteral("p:color"), object.colorHex);
    sp.addChild(QStringLiteral("p:text"), object.text);
    sp.addChild(QStringLiteral("p:fontSize"), PptxNumber::text(object.fontSize));
    sp.addChild(QStringLiteral("p:isBold"), booleanText(object.isBold));
    sp.addChild(QStringLiteral("p:isItalic"), booleanText(object.isItalic));
    sp.addChild(QStringLiteral("p:animType"), SlideAnimationTypes::stringValue(object.animationType));
    sp.addChild(QStringLiteral("p:animOrder"), QString::number(object.animationOrder));
    return sp;
}

} // namespace

namespace SlidePart {

XmlElement toElement(const Slide &slide)
{
    XmlElement root(QStringLiteral("p:sld"), std::nullopt,
                    {{QStringLiteral("xmlns:a"), PptxNames::drawingNamespace},
                     {QStringLiteral("xmlns:r"), PackageNames::relationshipsNamespace},
                     {QStringLiteral("xmlns:p"), PptxNames::presentationNamespace}});
    root.addChild(QStringLiteral("p:bgColor"), slide.bgColorHex);
    root.addChild(QStringLiteral("p:title"), slide.title);
    XmlElement &tree = root.addChild(QStringLiteral("p:cSld")).addChild(QStringLiteral("p:spTree"));
    for (const SlideObject &object : slide.objects)
        tree.addChild(shape(object));
    return root;
}

QString text(const Slide &slide)
{
    return XmlText::declaration(QStringLiteral("utf-8"), QStringLiteral("no")) + u'\n'
           + toElement(slide).toIndentedString();
}

} // namespace SlidePart
