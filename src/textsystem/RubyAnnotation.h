#pragma once

#include <QString>

#include <memory>
#include <optional>

enum class RubyAlignment { Auto, Start, Center, End, DistributeLetter, DistributeSpace, LineEdge, Invalid };

// Ruby (reading aid) over the base characters that carry it. Immutable once
// shared: texts hold it through RubyAnnotationPointer and compare it by
// identity, so two equal annotations made separately stay two runs.
struct RubyAnnotation
{
    // The text at each position; absent when there is none there.
    std::optional<QString> before;
    std::optional<QString> after;
    std::optional<QString> inlineText;
    std::optional<QString> interCharacter;
    // Ruby size relative to the base font size; stored as given.
    double sizeFactor = 0.5;
    RubyAlignment alignment = RubyAlignment::Auto;
};

using RubyAnnotationPointer = std::shared_ptr<const RubyAnnotation>;
