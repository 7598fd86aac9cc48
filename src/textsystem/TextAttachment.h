#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>

// Layout hints the DOCX writer reads from an image attachment. All absent on a
// new attachment.
struct DocXImageAttachment
{
    enum class Flow { Left, Right };

    // Width of the image as a fraction of the page's text width.
    std::optional<double> widthFraction;
    // Side of a floating image; absent: the image stands inline in its line.
    std::optional<Flow> flow;
    // Alternative text.
    std::optional<QString> description;
};

// An object in the text (a picture, or a file). It occupies one character of
// the text (U+FFFC by convention) and is immutable once shared: texts hold it
// through TextAttachmentPointer and compare it by identity, so two pictures
// with the same bytes stay two runs while a copy of the text shares them.
struct TextAttachment
{
    // The decoded picture, when the attachment was made from one.
    QImage image;
    // The file's bytes, when the attachment was made from data or a file.
    QByteArray contents;
    // MIME type of `contents` ("image/png"); empty when unknown.
    QString fileType;
    // A file wrapper is contents with a name; empty for plain data.
    QString fileName;
    // Displayed size in points; an empty rectangle means the natural size.
    QRectF bounds;
    // Set when the writer should treat the attachment as a DOCX image with hints.
    std::optional<DocXImageAttachment> docXImage;

    bool isFileWrapper() const { return !fileName.isEmpty(); }

    // The picture: `image`, else `contents` decoded within PictureDecoder's
    // limits; null when neither is a picture. Decodes each time it is called.
    QImage picture() const;

    // Size in points of the picture: its pixel size × 72 ÷ the resolution
    // its file states (PNG pHYs, JFIF density), its pixel size when the file
    // states none or there is no file (`image` only). (0, 0) when there is
    // no picture. Reads only the file's header.
    QSizeF naturalSize() const;
};

using TextAttachmentPointer = std::shared_ptr<const TextAttachment>;
