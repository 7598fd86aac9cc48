#include "textsystem/TextAttributes.h"

#include <QDebug>

#include <tuple>

namespace {

// Every field, so merge, equality and printing cannot forget one.
constexpr auto allFields = std::make_tuple(
    &TextAttributes::font, &TextAttributes::foreground, &TextAttributes::background, &TextAttributes::underlineColor,
    &TextAttributes::strokeColor, &TextAttributes::underlineStyle, &TextAttributes::strikethroughStyle,
    &TextAttributes::strokeWidth, &TextAttributes::baselineOffset, &TextAttributes::obliqueness,
    &TextAttributes::shadow, &TextAttributes::link, &TextAttributes::imageUrl, &TextAttributes::verticalForms,
    &TextAttributes::inlinePresentationIntent, &TextAttributes::attachment, &TextAttributes::ruby,
    &TextAttributes::paragraphStyle, &TextAttributes::breakType, &TextAttributes::paragraphStyleId,
    &TextAttributes::characterStyleId, &TextAttributes::footnoteReferenceId, &TextAttributes::endnoteReferenceId,
    &TextAttributes::footnoteBodyId, &TextAttributes::endnoteBodyId);

template <typename T>
bool sameValue(const T &a, const T &b)
{
    return a == b;
}

bool sameValue(const std::optional<double> &a, const std::optional<double> &b)
{
    return a.has_value() == b.has_value() && (!a || sameReal(*a, *b));
}

template <typename T>
bool isSet(const std::optional<T> &value)
{
    return value.has_value();
}

template <typename T>
bool isSet(const std::shared_ptr<const T> &value)
{
    return value != nullptr;
}

const char *breakTypeName(BreakType type)
{
    switch (type) {
    case BreakType::Wrap: return "wrap";
    case BreakType::Page: return "page";
    case BreakType::Column: return "column";
    }
    return "?";
}

} // namespace

bool TextAttributes::isEmpty() const
{
    return std::apply([this](auto... field) { return (!isSet(this->*field) && ...); }, allFields);
}

void TextAttributes::merge(const TextAttributes &other)
{
    std::apply(
        [this, &other](auto... field) {
            ((isSet(other.*field) ? void(this->*field = other.*field) : void()), ...);
        },
        allFields);
}

bool operator==(const TextAttributes &a, const TextAttributes &b)
{
    return std::apply([&a, &b](auto... field) { return (sameValue(a.*field, b.*field) && ...); }, allFields);
}

QDebug operator<<(QDebug debug, const TextAttributes &attributes)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "TextAttributes(";
    if (attributes.font)
        debug << " font=" << attributes.font->family << '/' << attributes.font->faceName << ' '
              << attributes.font->pointSize << (attributes.font->bold ? " bold" : "")
              << (attributes.font->italic ? " italic" : "");
    if (attributes.foreground)
        debug << " foreground=" << attributes.foreground->name(QColor::HexArgb);
    if (attributes.background)
        debug << " background=" << attributes.background->name(QColor::HexArgb);
    if (attributes.underlineStyle)
        debug << " underline=" << *attributes.underlineStyle;
    if (attributes.strikethroughStyle)
        debug << " strikethrough=" << *attributes.strikethroughStyle;
    if (attributes.link)
        debug << " link=" << attributes.link->toString();
    if (attributes.attachment)
        debug << " attachment=" << attributes.attachment.get();
    if (attributes.ruby)
        debug << " ruby=" << attributes.ruby.get();
    if (attributes.paragraphStyle)
        debug << " paragraphStyle(lists=" << attributes.paragraphStyle->textLists.size() << ')';
    if (attributes.breakType)
        debug << " break=" << breakTypeName(*attributes.breakType);
    if (attributes.paragraphStyleId)
        debug << " paragraphStyleId=" << *attributes.paragraphStyleId;
    if (attributes.characterStyleId)
        debug << " characterStyleId=" << *attributes.characterStyleId;
    if (attributes.footnoteReferenceId)
        debug << " footnoteReference=" << *attributes.footnoteReferenceId;
    if (attributes.endnoteReferenceId)
        debug << " endnoteReference=" << *attributes.endnoteReferenceId;
    if (attributes.footnoteBodyId)
        debug << " footnoteBody=" << *attributes.footnoteBodyId;
    if (attributes.endnoteBodyId)
        debug << " endnoteBody=" << *attributes.endnoteBodyId;
    debug << " )";
    return debug;
}
