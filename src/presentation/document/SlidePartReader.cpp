#include "SlidePartReader.h"

#include "platform/NumberText.h"
#include "platform/XmlRead.h"
#include "platform/Failure.h"

#include <cmath>

namespace {

double number(pugi::xml_node shape, const char *name, double fallback)
{
    const std::optional<double> value = NumberText::toDouble(XmlRead::text(XmlRead::firstChild(shape, name)));
    return value && std::isfinite(*value) ? *value : fallback;
}

bool flag(pugi::xml_node shape, const char *name)
{
    return XmlRead::text(XmlRead::firstChild(shape, name)) == QLatin1String("true");
}

// Another program's slides hold DrawingML, which the editor never writes;
// reading them by our rules would give empty boxes that a save would then
// put in place of the real deck.
bool isForeign(pugi::xml_node tree)
{
    if (XmlRead::firstChild(tree, "p:nvGrpSpPr"))
        return true;
    for (const pugi::xml_node shape : tree.children("p:sp")) {
        if (XmlRead::firstChild(shape, "p:spPr"))
            return true;
    }
    return false;
}

pugi::xml_node shapeTree(pugi::xml_node root)
{
    return XmlRead::firstChild(XmlRead::firstChild(root, "p:cSld"), "p:spTree");
}

} // namespace

namespace SlidePartReader {

qsizetype objectCount(pugi::xml_node root)
{
    qsizetype count = 0;
    for (const pugi::xml_node shape : shapeTree(root).children("p:sp")) {
        Q_UNUSED(shape)
        ++count;
    }
    return count;
}

std::optional<Slide> read(pugi::xml_node root, qsizetype position, QString *error)
{
    const pugi::xml_node tree = shapeTree(root);
    if (isForeign(tree)) {
        fail(error, QStringLiteral("The slides were made by another presentation program; "
                                   "this editor opens only presentations it saved itself"));
        return std::nullopt;
    }
    Slide slide;
    const QString background = XmlRead::text(XmlRead::firstChild(root, "p:bgColor"));
    if (!background.isEmpty())
        slide.bgColorHex = background;
    slide.title = XmlRead::rawText(XmlRead::firstChild(root, "p:title"));
    if (slide.title.isEmpty())
        slide.title = QStringLiteral("Slide %1").arg(position);
    for (const pugi::xml_node shape : tree.children("p:sp")) {
        if (slide.objects.size() == maxObjectCount) {
            fail(error, QStringLiteral("Too many objects on slide %1 (more than %2)").arg(position).arg(maxObjectCount));
            return std::nullopt;
        }
        slide.objects.append(readObject(shape));
    }
    return slide;
}

SlideObject readObject(pugi::xml_node shape)
{
    const auto text = [&](const char *name) { return XmlRead::text(XmlRead::firstChild(shape, name)); };
    SlideObject object;
    object.type = SlideObjectTypes::fromStringValue(text("p:type")).value_or(SlideObjectType::TextBox);
    object.x = number(shape, "p:x", 100);
    object.y = number(shape, "p:y", 100);
    object.width = number(shape, "p:width", 150);
    object.height = number(shape, "p:height", 80);
    object.colorHex = text("p:color");
    object.text = XmlRead::rawText(XmlRead::firstChild(shape, "p:text"));
    object.fontSize = number(shape, "p:fontSize", 18);
    object.isBold = flag(shape, "p:isBold");
    object.isItalic = flag(shape, "p:isItalic");
    object.animationType =
        SlideAnimationTypes::fromStringValue(text("p:animType")).value_or(SlideAnimationType::None);
    object.animationOrder = NumberText::toInteger(text("p:animOrder")).value_or(0);
    return object;
}

} // namespace SlidePartReader
