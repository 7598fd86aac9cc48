#include "SlideAnimationType.h"

namespace SlideAnimationTypes {

const QList<SlideAnimationType> &all()
{
    static const QList<SlideAnimationType> types = {SlideAnimationType::None, SlideAnimationType::Fade,
                                                    SlideAnimationType::SlideIn, SlideAnimationType::Zoom};
    return types;
}

QString stringValue(SlideAnimationType type)
{
    switch (type) {
    case SlideAnimationType::None: return QStringLiteral("なし");
    case SlideAnimationType::Fade: return QStringLiteral("フェード");
    case SlideAnimationType::SlideIn: return QStringLiteral("スライドイン");
    case SlideAnimationType::Zoom: return QStringLiteral("ズーム");
    }
    return {};
}

std::optional<SlideAnimationType> fromStringValue(const QString &text)
{
    for (const SlideAnimationType type : all()) {
        if (stringValue(type) == text)
            return type;
    }
    return std::nullopt;
}

} // namespace SlideAnimationTypes
