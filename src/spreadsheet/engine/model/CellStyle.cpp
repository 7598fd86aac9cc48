#include "spreadsheet/engine/model/CellStyle.h"

#include "spreadsheet/engine/model/DebugText.h"

QDebug operator<<(QDebug debug, const CellStyle &value)
{
    const QDebugStateSaver saver(debug);
    debug.nospace() << "CellStyle(" << (value.isBold ? "bold" : "regular") << ", "
                    << (value.isItalic ? "italic" : "upright") << ", text "
                    << value.textColorHex.value_or(QStringLiteral("none")) << ", fill "
                    << value.bgColorHex.value_or(QStringLiteral("none")) << ")";
    return debug;
}

char *toString(const CellStyle &value)
{
    return debugText(value);
}
