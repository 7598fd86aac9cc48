#pragma once

#include <QList>
#include <QString>
#include <optional>

// The entrance animation of an object in the slide show. The string value is
// what the package stores and what the animation picker shows.
enum class SlideAnimationType { None, Fade, SlideIn, Zoom };

namespace SlideAnimationTypes {

// Every case, in picker order.
const QList<SlideAnimationType> &all();
QString stringValue(SlideAnimationType type);
// The case whose string value is exactly `text` (case-sensitive), or nullopt.
std::optional<SlideAnimationType> fromStringValue(const QString &text);

} // namespace SlideAnimationTypes
