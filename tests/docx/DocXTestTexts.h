#pragma once

// Styled texts and helpers shared by the writer's tests.
#include "docx/writer/DocXWriter.h"
#include "platform/XmlRead.h"
#include "support/TestImages.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <pugixml.hpp>

namespace DocXTestTexts {

inline QByteArray pngBytes(int width, int height, QColor color = Qt::red)
{
    return TestImages::filled(QSize(width, height), color);
}

inline TextAttachmentPointer picture(int width = 20, int height = 10)
{
    auto attachment = std::make_shared<TextAttachment>();
    attachment->contents = pngBytes(width, height);
    attachment->fileType = QStringLiteral("image/png");
    return attachment;
}

inline TextAttributes with(std::function<void(TextAttributes &)> set)
{
    TextAttributes attributes;
    set(attributes);
    return attributes;
}

// A text with what a reader should show: tabs, breaks, a list, a footnote,
// an endnote, a picture, a link and ruby.
inline StyledText richText()
{
    StyledText text;
    text.append(QStringLiteral("Heading text\n"), with([](TextAttributes &a) {
                    FontDescriptor font;
                    font.family = QStringLiteral("Noto Sans CJK JP");
                    font.pointSize = 18;
                    font.bold = true;
                    a.font = font;
                }));
    text.append(QStringLiteral("Tab\there, line\vbreak"));
    text.append(QStringLiteral("\n"), with([](TextAttributes &a) { a.breakType = BreakType::Page; }));
    ParagraphStyle listStyle;
    listStyle.textLists = {TextList{QStringLiteral("{decimal}"), 1}};
    text.append(QStringLiteral("First item\nSecond item\n"), with([&](TextAttributes &a) { a.paragraphStyle = listStyle; }));
    text.append(QStringLiteral("See the note"));
    text.append(QStringLiteral("1"), with([](TextAttributes &a) { a.footnoteReferenceId = 1; }));
    text.append(QStringLiteral(" and the endnote"));
    text.append(QStringLiteral("i"), with([](TextAttributes &a) { a.endnoteReferenceId = 1; }));
    text.append(QStringLiteral(".\n"));
    text.append(QStringLiteral("Footnote body text\n"), with([](TextAttributes &a) { a.footnoteBodyId = 1; }));
    text.append(QStringLiteral("Endnote body text\n"), with([](TextAttributes &a) { a.endnoteBodyId = 1; }));
    text.append(QStringLiteral("Picture: "));
    const TextAttachmentPointer image = picture();
    text.append(QString(QChar(0xFFFC)), with([&](TextAttributes &a) { a.attachment = image; }));
    text.append(QStringLiteral("\nVisit "));
    text.append(QStringLiteral("the site"), with([](TextAttributes &a) { a.link = QUrl(QStringLiteral("https://example.com/page?a=1&b=2")); }));
    text.append(QStringLiteral(" now.\n"));
    auto ruby = std::make_shared<RubyAnnotation>();
    ruby->before = QStringLiteral("かんじ");
    text.append(QStringLiteral("漢字"), with([&](TextAttributes &a) { a.ruby = ruby; }));
    text.append(QStringLiteral("の読み\n"));
    return text;
}

// Loads one part of an unpacked package.
inline bool load(pugi::xml_document &document, const QByteArray &bytes)
{
    return XmlRead::loadBytes(document, bytes, nullptr);
}

inline int count(const pugi::xml_document &document, const char *xpath)
{
    return int(document.select_nodes(xpath).size());
}

} // namespace DocXTestTexts
