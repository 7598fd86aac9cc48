#pragma once

#include <QList>
#include <QString>

// The formats the save card offers. Both are written by the same package
// writer; only the extension differs.
enum class PPTXFileFormat { Pptx, Potx };

namespace PPTXFileFormats {

// Every case, in picker order.
const QList<PPTXFileFormat> &all();
// The picker's label: "PowerPoint (.pptx)", "PowerPointテンプレート (.potx)".
QString stringValue(PPTXFileFormat format);
// "pptx" or "potx", without the dot.
QString extension(PPTXFileFormat format);

} // namespace PPTXFileFormats
