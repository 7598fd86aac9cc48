#include "SlideObjectType.h"

namespace SlideObjectTypes {

const QList<SlideObjectType> &all()
{
    static const QList<SlideObjectType> types = {SlideObjectType::Title, SlideObjectType::Body,
                                                 SlideObjectType::Rectangle, SlideObjectType::Circle,
                                                 SlideObjectType::TextBox};
    return types;
}

QString stringValue(SlideObjectType type)
{
    switch (type) {
    case SlideObjectType::Title: return QStringLiteral("タイトル");
    case SlideObjectType::Body: return QStringLiteral("本文");
    case SlideObjectType::Rectangle: return QStringLiteral("四角形");
    case SlideObjectType::Circle: return QStringLiteral("円");
    case SlideObjectType::TextBox: return QStringLiteral("テキストボックス");
    }
    return {};
}

std::optional<SlideObjectType> fromStringValue(const QString &text)
{
    for (const SlideObjectType type : all()) {
        if (stringValue(type) == text)
            return type;
    }
    return std::nullopt;
}

bool isTextKind(SlideObjectType type)
{
    return type == SlideObjectType::Title || type == SlideObjectType::Body
           || type == SlideObjectType::TextBox;
}

} // namespace SlideObjectTypes
