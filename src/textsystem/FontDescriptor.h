#pragma once

#include "textsystem/RealEquality.h"

#include <QString>

// A font as the text carries it. `family` may be empty when only the face
// name is known (writers then use `faceName`). `pointSize` in points, stored
// as given (writers check it).
struct FontDescriptor
{
    QString family;
    QString faceName;
    double pointSize = 12.0;
    bool bold = false;
    bool italic = false;

    friend bool operator==(const FontDescriptor &a, const FontDescriptor &b)
    {
        return a.family == b.family && a.faceName == b.faceName && sameReal(a.pointSize, b.pointSize)
            && a.bold == b.bold && a.italic == b.italic;
    }
};
