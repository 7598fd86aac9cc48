#include "textsystem/rtf/RtfReader.h"

#include "textsystem/rtf/RtfParser.h"

bool RtfReader::read(const QByteArray &rtf, StyledText *text, QString *error, const AttachmentLoader &attachments,
                     PictureCache *pictures)
{
    QString message;
    const QByteArray start = rtf.left(16).trimmed();
    if (!start.startsWith("{\\rtf")) {
        message = QStringLiteral("The file is not an RTF document.");
    } else {
        PictureCache ownPictures;
        RtfParser parser(rtf, attachments, maximumDepth, pictures ? *pictures : ownPictures);
        if (parser.parse(&message)) {
            *text = parser.takeText();
            return true;
        }
    }
    if (error)
        *error = message;
    return false;
}
