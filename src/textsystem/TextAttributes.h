#pragma once

#include "textsystem/BreakType.h"
#include "textsystem/FontDescriptor.h"
#include "textsystem/ParagraphStyle.h"
#include "textsystem/RubyAnnotation.h"
#include "textsystem/TextAttachment.h"
#include "textsystem/TextShadow.h"

#include <QColor>
#include <QString>
#include <QUrl>

#include <optional>

// Bits of `underlineStyle` and `strikethroughStyle`. A style combines one
// thickness (single, thick, double) with at most one pattern and the by-word flag.
namespace TextLineStyle {
constexpr int none = 0x0;
constexpr int single = 0x1;
constexpr int thick = 0x2;
constexpr int doubleLine = 0x9;
constexpr int patternDot = 0x100;
constexpr int patternDash = 0x200;
constexpr int patternDashDot = 0x300;
constexpr int patternDashDotDot = 0x400;
constexpr int byWord = 0x8000;

// A double line has both the single bit and 0x8 set, whatever thickness and
// pattern stand beside them: every writer and reader asks this one question.
constexpr bool isDouble(int style)
{
    return (style & doubleLine) == doubleLine;
}
} // namespace TextLineStyle

// Values of `inlinePresentationIntent` the writers know; the field may hold
// any combination, which they ignore.
namespace InlinePresentationIntent {
constexpr int emphasized = 1;
constexpr int stronglyEmphasized = 2;
constexpr int strikethrough = 32;
} // namespace InlinePresentationIntent

// The attributes of one character. Every field is optional: absent means the
// character does not carry that attribute. Values are stored as given
// (NaN, negative sizes); the writers check them.
//
// Equality: `attachment` and `ruby` by identity (the same shared object),
// every other field by value, with NaN equal to NaN.
struct TextAttributes
{
    std::optional<FontDescriptor> font;
    std::optional<QColor> foreground;
    std::optional<QColor> background;
    std::optional<QColor> underlineColor;
    std::optional<QColor> strokeColor;
    std::optional<int> underlineStyle;     // TextLineStyle bits
    std::optional<int> strikethroughStyle; // TextLineStyle bits
    // Percent of the font size: positive outlines only, negative fills and strokes.
    std::optional<double> strokeWidth;
    // Points above the baseline (negative: below).
    std::optional<double> baselineOffset;
    // Skew of the glyphs; 0 upright, positive leans right.
    std::optional<double> obliqueness;
    std::optional<TextShadow> shadow;
    std::optional<QUrl> link;
    // A picture shown in place of the characters, by local file URL.
    std::optional<QUrl> imageUrl;
    std::optional<bool> verticalForms;
    std::optional<int> inlinePresentationIntent; // InlinePresentationIntent values
    TextAttachmentPointer attachment;            // null: none
    RubyAnnotationPointer ruby;                  // null: none
    std::optional<ParagraphStyle> paragraphStyle;

    // The DOCX writer's own attributes (see DocXAttributeKey).
    std::optional<BreakType> breakType;
    std::optional<QString> paragraphStyleId;
    std::optional<QString> characterStyleId;
    std::optional<qint64> footnoteReferenceId;
    std::optional<qint64> endnoteReferenceId;
    std::optional<qint64> footnoteBodyId;
    std::optional<qint64> endnoteBodyId;

    // True when no field is set.
    bool isEmpty() const;

    // Every field set in `other` replaces this one's; the others stay (the
    // "add attributes" of a formatting command).
    void merge(const TextAttributes &other);

    friend bool operator==(const TextAttributes &a, const TextAttributes &b);
};

QDebug operator<<(QDebug debug, const TextAttributes &attributes);
