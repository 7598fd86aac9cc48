#pragma once

#include "textsystem/StyledText.h"

#include <QMetaType>
#include <QTextFormat>

class PictureCache;
class QTextDocument;

Q_DECLARE_METATYPE(TextAttachmentPointer)
Q_DECLARE_METATYPE(RubyAnnotationPointer)

// Conversion between StyledText and the QTextDocument the word screen edits,
// lossless for everything StyledText carries: Qt's own format properties
// where they exist (so the editor shows them), and the properties below for
// exact values and what Qt has no property for.
namespace StyledTextDocument {

// Character format properties of ours. The first five are shared with the
// word screen's own drawing of outlines and shadows.
enum Property : int {
    StrokeWidth = QTextFormat::UserProperty + 0x400, // double, percent of the font size
    StrokeColor,                                     // QColor
    ShadowColor,                                     // QColor; its presence marks a shadow
    ShadowOffset,                                    // QPointF, points, y upwards
    ShadowBlurRadius,                                // double, points
    UnderlineStyle = QTextFormat::UserProperty + 0x420, // int, TextLineStyle bits
    StrikethroughStyle,                              // int, TextLineStyle bits
    FontPointSize,                                   // double: the exact size in points
    FontFaceName,                                    // QString
    BaselineOffset,                                  // double, points
    Obliqueness,                                     // double
    ImageUrl,                                        // QUrl
    VerticalForms,                                   // bool
    InlinePresentationIntent,                        // int
    Attachment,                                      // TextAttachmentPointer
    Ruby,                                            // RubyAnnotationPointer
    ParagraphStyleId,                                // QString
    CharacterStyleId,                                // QString
    FootnoteReferenceId,                             // qint64
    EndnoteReferenceId,                              // qint64
    FootnoteBodyId,                                  // qint64
    EndnoteBodyId,                                   // qint64
    BreakAfter,                                      // int (BreakType), on the block format
    LineHeightMultiple,                              // double, block format
    LineSpacing,                                     // double points, block format
    TextLists,                                       // QStringList "start|format" per level, block format
    HasParagraphStyle,                               // bool, block format: the text carried one
    HeadIndent,                                      // double points, block format: the exact indents
    FirstLineHeadIndent,
    TailIndent,
};

// How font sizes are given to Qt: the editor shows one point as one pixel;
// HTML wants points.
enum class FontUnit { PointsAsPixels, Points };

// Replaces the content of `document` with `text`. Pictures become image
// resources of the document named "morvane-attachment:N".
void fill(QTextDocument *document, const StyledText &text, FontUnit unit = FontUnit::PointsAsPixels);

// The text of `document` with its attributes. Images the document holds as
// resources (or data: URIs) become picture attachments, each distinct one
// decoded once within PictureCache's budget; others are dropped.
StyledText toStyledText(const QTextDocument &document);

// The same, decoding the document's pictures through `pictures`, which
// records those it leaves out.
StyledText toStyledText(const QTextDocument &document, PictureCache &pictures);

} // namespace StyledTextDocument
