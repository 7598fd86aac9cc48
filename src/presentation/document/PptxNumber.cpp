#include "PptxNumber.h"

#include "platform/NumberText.h"

#include <cmath>

namespace PptxNumber {

QString text(double value)
{
    QString text = NumberText::shortest(value);
    if (std::isfinite(value) && !text.contains(u'.') && !text.contains(u'e'))
        text += QLatin1String(".0");
    return text;
}

} // namespace PptxNumber
