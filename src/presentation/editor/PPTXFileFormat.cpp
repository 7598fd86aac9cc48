#include "PPTXFileFormat.h"

namespace PPTXFileFormats {

const QList<PPTXFileFormat> &all()
{
    static const QList<PPTXFileFormat> formats{PPTXFileFormat::Pptx, PPTXFileFormat::Potx};
    return formats;
}

QString stringValue(PPTXFileFormat format)
{
    return format == PPTXFileFormat::Potx ? QStringLiteral("PowerPointテンプレート (.potx)")
                                          : QStringLiteral("PowerPoint (.pptx)");
}

QString extension(PPTXFileFormat format)
{
    return format == PPTXFileFormat::Potx ? QStringLiteral("potx") : QStringLiteral("pptx");
}

} // namespace PPTXFileFormats
