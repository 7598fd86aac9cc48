#include "Slide.h"

#include <algorithm>

qsizetype Slide::indexOfObject(const QUuid &objectId) const
{
    const auto found = std::find_if(objects.cbegin(), objects.cend(),
                                    [&](const SlideObject &object) { return object.id == objectId; });
    return found == objects.cend() ? -1 : found - objects.cbegin();
}

bool Slide::hasFiniteNumbers() const
{
    return std::all_of(objects.cbegin(), objects.cend(),
                       [](const SlideObject &object) { return object.hasFiniteNumbers(); });
}

Slide Slide::withPlaceholders(qsizetype number)
{
    Slide slide;
    slide.title = QStringLiteral("スライド ") + QString::number(number);
    slide.objects = {SlideObject::titlePlaceholder(), SlideObject::bodyPlaceholder()};
    return slide;
}
