#include "docx/builtin/OfficeOpenXmlBody.h"

#include <QColor>

#include <cmath>

namespace OfficeOpenXmlBody {

namespace {

XmlElement valElement(const QString &name, const QString &value)
{
    return XmlElement(name, std::nullopt, {{QStringLiteral("w:val"), value}});
}

// RRGGBB, or nothing for a colour that is invalid or fully transparent.
std::optional<QString> hexColor(const std::optional<QColor> &color)
{
    if (!color || !color->isValid() || color->alpha() == 0)
        return std::nullopt;
    return color->toRgb().name(QColor::HexRgb).mid(1).toUpper();
}

QString alignmentValue(TextAlignment alignment)
{
    switch (alignment) {
    case TextAlignment::Right: return QStringLiteral("right");
    case TextAlignment::Center: return QStringLiteral("center");
    case TextAlignment::Justified: return QStringLiteral("both");
    case TextAlignment::Left:
    case TextAlignment::Natural: break;
    }
    return QStringLiteral("left");
}

QString underlineValue(int style)
{
    if (style & TextLineStyle::byWord)
        return QStringLiteral("words");
    if (TextLineStyle::isDouble(style))
        return QStringLiteral("double");
    if (style & TextLineStyle::thick)
        return QStringLiteral("thick");
    if (style & TextLineStyle::patternDot)
        return QStringLiteral("dotted");
    if (style & TextLineStyle::patternDash)
        return QStringLiteral("dash");
    return QStringLiteral("single");
}

void addFont(XmlElement &properties, const FontDescriptor &font)
{
    const QString family = font.family.isEmpty() ? font.faceName : font.family;
    if (!family.isEmpty())
        properties.addChild(QStringLiteral("w:rFonts"), std::nullopt,
                            {{QStringLiteral("w:ascii"), family},
                             {QStringLiteral("w:hAnsi"), family},
                             {QStringLiteral("w:eastAsia"), family},
                             {QStringLiteral("w:cs"), family}});
}

// w:rPr in the schema's order: fonts, bold, italic, strike, colour, size,
// underline, shading.
XmlElement runProperties(const TextAttributes &attributes)
{
    XmlElement properties(QStringLiteral("w:rPr"));
    const std::optional<FontDescriptor> &font = attributes.font;
    if (font)
        addFont(properties, *font);
    if (font && font->bold)
        properties.addChild(QStringLiteral("w:b"));
    if (font && font->italic)
        properties.addChild(QStringLiteral("w:i"));
    if (const int strike = attributes.strikethroughStyle.value_or(0))
        properties.addChild(TextLineStyle::isDouble(strike) ? QStringLiteral("w:dstrike") : QStringLiteral("w:strike"));
    if (const auto color = hexColor(attributes.foreground))
        properties.addChild(valElement(QStringLiteral("w:color"), *color));
    // Half-points, within what readers take.
    if (font && std::isfinite(font->pointSize) && font->pointSize >= 0.5 && font->pointSize <= 1638.0)
        properties.addChild(valElement(QStringLiteral("w:sz"), QString::number(qint64(font->pointSize * 2.0))));
    if (const int underline = attributes.underlineStyle.value_or(0)) {
        XmlElement &element = properties.addChild(valElement(QStringLiteral("w:u"), underlineValue(underline)));
        if (const auto color = hexColor(attributes.underlineColor))
            element.setAttribute(QStringLiteral("w:color"), *color);
    }
    if (const auto fill = hexColor(attributes.background))
        properties.addChild(QStringLiteral("w:shd"), std::nullopt,
                            {{QStringLiteral("w:val"), QStringLiteral("clear")},
                             {QStringLiteral("w:color"), QStringLiteral("auto")},
                             {QStringLiteral("w:fill"), *fill}});
    return properties;
}

// Appends the content of a run's characters: w:t for text, w:tab, w:br.
void appendText(XmlElement &run, QStringView text)
{
    QString pending;
    const auto flush = [&] {
        if (!pending.isEmpty())
            run.addChild(QStringLiteral("w:t"), pending, {{QStringLiteral("xml:space"), QStringLiteral("preserve")}});
        pending.clear();
    };
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\t':
            flush();
            run.addChild(QStringLiteral("w:tab"));
            break;
        case 0x0B: case 0x0A: case 0x0D: case 0x2028: case 0x2029:
            flush();
            run.addChild(QStringLiteral("w:br"));
            break;
        case 0x0C:
            flush();
            run.addChild(QStringLiteral("w:br"), std::nullopt, {{QStringLiteral("w:type"), QStringLiteral("page")}});
            break;
        case 0xFFFC:
            break;
        default:
            pending += c; // the serialiser drops what XML forbids
            break;
        }
    }
    flush();
}

void appendRuns(XmlElement &paragraph, const StyledText &text, TextRange range, OfficeOpenXmlPictures &pictures)
{
    text.forEachRun(range, [&](const TextAttributes &attributes, TextRange run) {
        const QStringView characters = QStringView(text.string()).mid(run.location, run.length);
        if (attributes.attachment) {
            // Each U+FFFC shows the picture; the other characters stay text.
            qsizetype start = 0;
            for (qsizetype i = 0; i <= characters.size(); ++i) {
                if (i < characters.size() && characters[i] != QChar(0xFFFC))
                    continue;
                if (i > start) {
                    XmlElement &textRun = paragraph.addChild(QStringLiteral("w:r"));
                    textRun.addChild(runProperties(attributes));
                    appendText(textRun, characters.mid(start, i - start));
                }
                if (i < characters.size())
                    if (auto drawing = pictures.drawingRun(attributes.attachment))
                        paragraph.addChild(std::move(*drawing));
                start = i + 1;
            }
            return;
        }
        XmlElement &textRun = paragraph.addChild(QStringLiteral("w:r"));
        textRun.addChild(runProperties(attributes));
        appendText(textRun, characters);
    });
}

XmlElement sectionProperties()
{
    XmlElement properties(QStringLiteral("w:sectPr"));
    properties.addChild(QStringLiteral("w:pgSz"), std::nullopt,
                        {{QStringLiteral("w:w"), QStringLiteral("11906")}, {QStringLiteral("w:h"), QStringLiteral("16838")}});
    properties.addChild(QStringLiteral("w:pgMar"), std::nullopt,
                        {{QStringLiteral("w:top"), QStringLiteral("1440")},
                         {QStringLiteral("w:right"), QStringLiteral("1440")},
                         {QStringLiteral("w:bottom"), QStringLiteral("1440")},
                         {QStringLiteral("w:left"), QStringLiteral("1440")},
                         {QStringLiteral("w:header"), QStringLiteral("720")},
                         {QStringLiteral("w:footer"), QStringLiteral("720")},
                         {QStringLiteral("w:gutter"), QStringLiteral("0")}});
    return properties;
}

} // namespace

XmlElement document(const StyledText &text, OfficeOpenXmlPictures &pictures)
{
    XmlElement root(QStringLiteral("w:document"), std::nullopt,
                    {{QStringLiteral("xmlns:w"), QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main")},
                     {QStringLiteral("xmlns:r"), QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships")},
                     {QStringLiteral("xmlns:wp"), QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing")},
                     {QStringLiteral("xmlns:a"), QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main")},
                     {QStringLiteral("xmlns:pic"), QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/picture")}});
    XmlElement &body = root.addChild(QStringLiteral("w:body"));
    for (const TextParagraph &paragraph : text.paragraphs()) {
        XmlElement &element = body.addChild(QStringLiteral("w:p"));
        const TextRange lookup = paragraph.content.isEmpty() ? paragraph.enclosing : paragraph.content;
        const auto style = text.valueAt(&TextAttributes::paragraphStyle, lookup.location);
        if (style && style->alignment != TextAlignment::Natural)
            element.addChild(QStringLiteral("w:pPr")).addChild(valElement(QStringLiteral("w:jc"), alignmentValue(style->alignment)));
        appendRuns(element, text, paragraph.content, pictures);
    }
    if (body.children().empty())
        body.addChild(QStringLiteral("w:p"));
    body.addChild(sectionProperties());
    return root;
}

} // namespace OfficeOpenXmlBody
