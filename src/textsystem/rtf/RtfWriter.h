#pragma once

#include "textsystem/StyledText.h"

#include <QByteArray>
#include <QString>
#include <functional>

// Writes styled text as RTF (ASCII bytes; other characters as \uN): fonts,
// colours, sizes, bold, italic, underline and strike styles, baseline
// offsets, backgrounds, outline (\strokewidth, \strokec) and shadow (\shad
// with its offset, blur, opacity and colour), paragraph alignment, indents,
// spacing, lists, hyperlink fields, and pictures as PNG or JPEG \pict groups.
// A fully transparent colour is no colour.
class RtfWriter
{
public:
    // How an attachment is written instead of a \pict group: the RTFD writer
    // stores the file beside the text and returns the name it gave it (or ""
    // to drop the attachment).
    using AttachmentNamer = std::function<QString(const TextAttachment &attachment)>;

    static QByteArray write(const StyledText &text, const AttachmentNamer &attachmentFiles = {});
};
