#pragma once

#include "textsystem/StyledText.h"
#include "textsystem/rtf/RtfAttachmentLoader.h"

#include <QByteArray>
#include <QString>

class PictureCache;

// Reads RTF into styled text: fonts, colours, sizes, bold, italic, underline
// and strike styles, super- and subscript, background, outline and shadow,
// alignment, indents, spacing, lists, hyperlink fields, PNG and JPEG
// pictures, and the attachments of an RTFD package. Text in code pages
// (\ansicpg, per-font \fcharset, CP932 pairs) and \uN with \ucN.
class RtfReader
{
public:
    using AttachmentLoader = RtfAttachmentLoader;

    // Groups nested deeper than this make the file unreadable.
    static constexpr int maximumDepth = 4096;

    // The text of `rtf`. False with *error (a message for the user) when the
    // data is no RTF or nests too deeply; `text` is then untouched.
    // Pictures are decoded through `pictures` when given (the document's,
    // which records what it leaves out), else through a cache of the read's own.
    static bool read(const QByteArray &rtf, StyledText *text, QString *error,
                     const AttachmentLoader &attachments = {}, PictureCache *pictures = nullptr);
};
