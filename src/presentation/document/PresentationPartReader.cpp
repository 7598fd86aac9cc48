#include "PresentationPartReader.h"

#include "platform/XmlRead.h"

namespace PresentationPartReader {

qsizetype slideEntryCount(pugi::xml_node root)
{
    qsizetype count = 0;
    for (const pugi::xml_node entry : XmlRead::firstChild(root, "p:sldIdLst").children("p:sldId")) {
        Q_UNUSED(entry)
        ++count;
    }
    return count;
}

} // namespace PresentationPartReader
