#include "TextFormattingHelper.h"

#include "FormatRuns.h"
#include "word/layout/PageTextItem.h"
#include "word/layout/TextFormatProperty.h"

#include <QFontDatabase>
#include <QTextBlockFormat>
#include <QTextCursor>

namespace {

void setPixelSize(QTextCharFormat &format, qreal size)
{
    format.clearProperty(QTextFormat::FontPointSize);
    format.clearProperty(TextFormatProperty::ExactPointSize);
    format.setProperty(QTextFormat::FontPixelSize, qMax(1, int(std::lround(size))));
}

bool hasFont(const QTextCharFormat &format)
{
    return format.hasProperty(QTextFormat::FontFamilies) || format.hasProperty(QTextFormat::FontFamily);
}

bool isUnderlined(const QTextCharFormat &format)
{
    return format.underlineStyle() != QTextCharFormat::NoUnderline || format.boolProperty(QTextFormat::FontUnderline);
}

} // namespace

TextFormattingHelper::ParagraphStyle TextFormattingHelper::paragraphStyle(const QString &name)
{
    if (name == QStringLiteral("タイトル"))
        return {32, true};
    if (name == QStringLiteral("見出し1"))
        return {24, true};
    if (name == QStringLiteral("見出し2"))
        return {18, true};
    if (name == QStringLiteral("見出し3"))
        return {15, true};
    return {13, false};
}

void TextFormattingHelper::applyFontFamily(PageTextItem *item, const QString &family)
{
    FormatRuns::modify(item, [&](QTextCharFormat &format) {
        format.setFontFamilies({family});
        format.clearProperty(TextFormatProperty::ExactFaceName);
    });
}

void TextFormattingHelper::applyFontSize(PageTextItem *item, qreal size)
{
    FormatRuns::modify(item, [&](QTextCharFormat &format) { setPixelSize(format, size); });
}

void TextFormattingHelper::applyParagraphStyle(PageTextItem *item, const QString &name)
{
    const ParagraphStyle style = paragraphStyle(name);
    FormatRuns::modify(item, [&](QTextCharFormat &format) {
        if (!hasFont(format)) {
            const QFont system = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
            format.setFontFamilies(system.families().isEmpty() ? QStringList{system.family()} : system.families());
        }
        setPixelSize(format, style.size);
        if (!style.bold)
            format.setFontWeight(QFont::Normal);
        else if (format.fontWeight() < QFont::Bold)
            format.setFontWeight(QFont::Bold);
    });
}

void TextFormattingHelper::addBold(PageTextItem *item)
{
    FormatRuns::modify(item, [](QTextCharFormat &format) {
        if (format.fontWeight() < QFont::Bold)
            format.setFontWeight(QFont::Bold);
    });
}

void TextFormattingHelper::toggleItalic(PageTextItem *item)
{
    const bool italic = FormatRuns::any(item, [](const QTextCharFormat &f) { return f.fontItalic(); });
    FormatRuns::modify(item, [&](QTextCharFormat &format) { format.setFontItalic(!italic); });
}

void TextFormattingHelper::toggleUnderline(PageTextItem *item)
{
    const bool underlined = FormatRuns::any(item, isUnderlined);
    FormatRuns::modify(item, [&](QTextCharFormat &format) {
        format.clearProperty(QTextFormat::FontUnderline);
        format.clearProperty(TextFormatProperty::ExactUnderlineStyle);
        format.setUnderlineStyle(underlined ? QTextCharFormat::NoUnderline : QTextCharFormat::SingleUnderline);
    });
}

void TextFormattingHelper::toggleStrikethrough(PageTextItem *item)
{
    const bool struck = FormatRuns::any(item, [](const QTextCharFormat &f) { return f.fontStrikeOut(); });
    FormatRuns::modify(item, [&](QTextCharFormat &format) {
        format.setFontStrikeOut(!struck);
        format.clearProperty(TextFormatProperty::ExactStrikethroughStyle);
    });
}

void TextFormattingHelper::applyAlignment(PageTextItem *item, Qt::Alignment alignment)
{
    if (!item)
        return;
    QTextCursor cursor = item->textCursor();
    QTextBlockFormat format;
    format.setAlignment(alignment);
    cursor.mergeBlockFormat(format);
}

void TextFormattingHelper::applyTextColor(PageTextItem *item, const QColor &color)
{
    FormatRuns::modify(item, [&](QTextCharFormat &format) { format.setForeground(color); });
}

void TextFormattingHelper::applyHighlightColor(PageTextItem *item, const QColor &color)
{
    FormatRuns::modify(item, [&](QTextCharFormat &format) {
        if (!color.isValid() || color.alpha() == 0)
            format.clearBackground();
        else
            format.setBackground(color);
    });
}

void TextFormattingHelper::applyWordArtStyle(PageTextItem *item, WordArtStyle style)
{
    const QTextCharFormat look = WordArt::format(style);
    FormatRuns::modify(item, [&](QTextCharFormat &format) {
        format.merge(look);
        format.clearProperty(QTextFormat::FontPointSize);
        format.clearProperty(TextFormatProperty::ExactPointSize);
        format.clearProperty(TextFormatProperty::ExactFaceName);
    });
}
