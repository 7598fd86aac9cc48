#include "ImageRelationship.h"

ImageRelationship ImageRelationship::withHints(const TextAttachment &source) const
{
    ImageRelationship copy = *this;
    if (source.docXImage) {
        copy.widthFraction = source.docXImage->widthFraction;
        copy.flow = source.docXImage->flow;
        copy.description = source.docXImage->description;
    }
    return copy;
}
