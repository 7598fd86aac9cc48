#pragma once

#include "PresentationError.h"
#include "Slide.h"
#include "platform/ReadBudget.h"

#include <QList>
#include <QString>
#include <optional>

// Reads a presentation package that the editor wrote: the entries of
// ppt/presentation.xml name the slide parts by position, entry k standing for
// ppt/slides/slide<k>.xml; a missing slide part is skipped.
namespace PptxReader {

inline constexpr qsizetype maxSlideCount = 10000;
// Objects on all slides together: a deck of the largest slides, many of
// them, would otherwise take gigabytes from a few megabytes of package.
inline constexpr qsizetype maxTotalObjectCount = 1000000;

// The slides of the package at `path`, or nullopt with *error set: 404 when
// ppt/presentation.xml is missing; code 0 for a file that is no sound
// package, XML that does not parse, a deck of more than maxSlideCount
// entries or `maxObjects` objects, one that would take more memory than its
// ReadBudget (at least `minimumMemory`), slides another program made, or a
// package yielding no slide. A slide part is costed from the size its entry
// declares before it is inflated: its bytes, and the texts of the slide it
// may make.
std::optional<QList<Slide>> read(const QString &path, PresentationError *error,
                                 qsizetype maxObjects = maxTotalObjectCount,
                                 qint64 minimumMemory = ReadBudget::minimumLimit);

} // namespace PptxReader
