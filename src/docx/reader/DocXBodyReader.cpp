#include "docx/reader/DocXBodyReader.h"

#include "docx/reader/DocXNumbering.h"
#include "docx/reader/DocXPictureLoader.h"
#include "docx/reader/DocXStyleSheet.h"
#include "docx/reader/DocXValues.h"

#include "platform/XmlRead.h"
#include "platform/package/PackageRelationships.h"
#include "textsystem/SymbolFont.h"

#include <cstring>

namespace {

constexpr char16_t objectReplacement = u'\uFFFC';
constexpr char16_t lineSeparator = u'\u2028';
// Field instructions longer than this are cut (they are only looked at for
// HYPERLINK and its target).
constexpr qsizetype maximumInstruction = 8192;

bool is(pugi::xml_node node, const char *name)
{
    return std::strcmp(node.name(), name) == 0;
}

// Characters set in the East Asian font of a run; a space or a low surrogate
// goes with the character before it.
bool isEastAsian(char16_t c, bool previous)
{
    if (c == u' ' || (c >= 0xDC00 && c <= 0xDFFF))
        return previous;
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xA960 && c <= 0xA97F) || (c >= 0xAC00 && c <= 0xD7AF)
        || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF)
        || (c >= 0xD840 && c <= 0xD87F);
}

// The branch of <mc:AlternateContent> to read: the fallback, which every
// consumer understands, unless it is empty.
pugi::xml_node chosenAlternative(pugi::xml_node alternate)
{
    const pugi::xml_node fallback = XmlRead::firstChild(alternate, "mc:Fallback");
    if (fallback && fallback.first_child())
        return fallback;
    return XmlRead::firstChild(alternate, "mc:Choice");
}

// `HYPERLINK "target" \l "bookmark" \o "tip"`: the target, with "#bookmark"
// for a place inside the document; nullopt for any other field.
std::optional<QUrl> hyperlinkFieldTarget(const QString &instruction)
{
    QStringList tokens;
    QString current;
    bool quoted = false;
    bool pending = false;
    for (const QChar c : instruction) {
        if (c == u'"') {
            quoted = !quoted;
            pending = true;
        } else if (c.isSpace() && !quoted) {
            if (pending)
                tokens.append(current);
            current.clear();
            pending = false;
        } else {
            current += c;
            pending = true;
        }
    }
    if (pending)
        tokens.append(current);
    if (tokens.isEmpty() || tokens.first().compare(QLatin1String("HYPERLINK"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    QString target;
    QString bookmark;
    for (qsizetype i = 1; i < tokens.size(); ++i) {
        const QString &token = tokens.at(i);
        if (token.compare(QLatin1String("\\l"), Qt::CaseInsensitive) == 0 && i + 1 < tokens.size())
            bookmark = tokens.at(++i);
        else if ((token == QLatin1String("\\o") || token == QLatin1String("\\t")) && i + 1 < tokens.size())
            ++i; // a tip or a target frame
        else if (!token.startsWith(u'\\') && target.isEmpty())
            target = token;
    }
    if (!bookmark.isEmpty())
        target += u'#' + bookmark;
    if (target.isEmpty())
        return std::nullopt;
    return QUrl(target);
}

RubyAlignment rubyAlignment(const QString &value)
{
    if (value == QLatin1String("center"))
        return RubyAlignment::Center;
    if (value == QLatin1String("distributeLetter"))
        return RubyAlignment::DistributeLetter;
    if (value == QLatin1String("distributeSpace"))
        return RubyAlignment::DistributeSpace;
    if (value == QLatin1String("left"))
        return RubyAlignment::Start;
    if (value == QLatin1String("right") || value == QLatin1String("rightVertical"))
        return RubyAlignment::End;
    return RubyAlignment::Auto;
}

// Text of the runs under `parent` (the ruby text), breaks and fields ignored.
QString plainRunText(pugi::xml_node parent)
{
    QString text;
    for (pugi::xml_node run : XmlRead::children(parent, "w:r"))
        for (pugi::xml_node t : XmlRead::children(run, "w:t"))
            text += XmlRead::rawText(t);
    return text;
}

} // namespace

DocXBodyReader::DocXBodyReader(const Sources &sources) : m_sources(sources)
{
}

std::optional<StyledText> DocXBodyReader::read(pugi::xml_node body)
{
    readBlocks(body, 0);
    if (outOfBudget())
        return std::nullopt;
    return std::move(m_text);
}

void DocXBodyReader::readBlocks(pugi::xml_node parent, int depth)
{
    if (depth > maximumDepth)
        return;
    for (pugi::xml_node child = parent.first_child(); child && !outOfBudget(); child = child.next_sibling()) {
        if (is(child, "w:p"))
            readParagraph(child, depth + 1);
        else if (is(child, "w:tbl"))
            readTable(child, depth + 1);
        else if (is(child, "w:sdt"))
            readBlocks(XmlRead::firstChild(child, "w:sdtContent"), depth + 1);
        else if (is(child, "w:customXml") || is(child, "w:ins") || is(child, "w:moveTo") || is(child, "w:smartTag"))
            readBlocks(child, depth + 1);
        else if (is(child, "mc:AlternateContent"))
            readBlocks(chosenAlternative(child), depth + 1);
    }
}

void DocXBodyReader::readTable(pugi::xml_node table, int depth)
{
    if (depth > maximumDepth)
        return;
    // Rows and cells may sit inside content controls and custom XML.
    auto forEachChild = [](pugi::xml_node parent, const char *name, int depth, auto &&self, auto &&fn) -> void {
        if (depth > maximumDepth)
            return;
        for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
            if (is(child, name))
                fn(child);
            else if (is(child, "w:sdt"))
                self(XmlRead::firstChild(child, "w:sdtContent"), name, depth + 1, self, fn);
            else if (is(child, "w:customXml"))
                self(child, name, depth + 1, self, fn);
        }
    };
    forEachChild(table, "w:tr", depth, forEachChild, [&](pugi::xml_node row) {
        bool firstCell = true;
        forEachChild(row, "w:tc", depth + 1, forEachChild, [&](pugi::xml_node cell) {
            m_nextIsCell = !firstCell;
            firstCell = false;
            readBlocks(cell, depth + 2);
        });
    });
    m_nextIsCell = false;
}

void DocXBodyReader::readParagraph(pugi::xml_node paragraph, int depth)
{
    if (++m_paragraphs > maximumParagraphs)
        return;
    const pugi::xml_node properties = XmlRead::firstChild(paragraph, "w:pPr");
    beginParagraph(DocXParagraphFormat::fromXml(properties), properties);
    readInline(paragraph, depth);
    endParagraph();
    m_sources.textBudget.charge(m_text);
}

void DocXBodyReader::beginParagraph(const DocXParagraphFormat &direct, pugi::xml_node properties)
{
    const DocXStyleSheet &styles = m_sources.styles;
    const QString styleId = styles.paragraphStyle(XmlRead::attribute(XmlRead::firstChild(properties, "w:pStyle"), "w:val"));
    const DocXParagraphFormat styleFormat = styles.paragraphFormat(styleId);
    DocXParagraphFormat numbered = styleFormat;
    numbered.overlay(direct);
    const int numberingId = numbered.numberingId.value_or(0);
    const int level = numbered.numberingLevel.value_or(0);

    DocXParagraphFormat format = styles.defaultParagraphFormat();
    if (numberingId > 0)
        format.overlay(m_sources.numbering.levelFormat(numberingId, level));
    format.overlay(styleFormat);
    format.overlay(direct);
    ParagraphStyle style = format.paragraphStyle();
    if (numberingId > 0)
        style.textLists = m_sources.numbering.textLists(numberingId, level);
    m_paragraphStyle = style == ParagraphStyle() ? std::nullopt : std::optional<ParagraphStyle>(style);
    m_pageBreakBefore = format.pageBreakBefore.value_or(false);

    m_paragraphRunBase = styles.defaultRunFormat();
    m_paragraphRunBase.overlay(styles.runFormat(styleId));
    const pugi::xml_node markProperties = XmlRead::firstChild(properties, "w:rPr");
    DocXRunFormat mark = m_paragraphRunBase;
    mark.overlay(styles.runFormat(XmlRead::attribute(XmlRead::firstChild(markProperties, "w:rStyle"), "w:val")));
    mark.overlay(DocXRunFormat::fromXml(markProperties, m_sources.theme));
    m_markAttributes = mark.attributes(false);
    m_markAttributes.paragraphStyle = m_paragraphStyle;

    emitPendingSeparator();
}

bool DocXBodyReader::outOfBudget() const
{
    return m_sources.textBudget.ranOut() || hasTooManyParagraphs();
}

void DocXBodyReader::endParagraph()
{
    m_pendingTerminator = m_markAttributes;
}

void DocXBodyReader::emitPendingSeparator()
{
    const bool cell = std::exchange(m_nextIsCell, false);
    if (!m_pendingTerminator)
        return;
    TextAttributes attributes = *std::exchange(m_pendingTerminator, std::nullopt);
    if (cell) {
        m_text.append(QStringLiteral("\t"), attributes);
        return;
    }
    if (m_pageBreakBefore)
        attributes.breakType = BreakType::Page;
    m_text.append(QStringLiteral("\n"), attributes);
}

void DocXBodyReader::breakParagraph(BreakType type, const DocXRunFormat &format)
{
    if (!showsText())
        return;
    TextAttributes attributes = attributesFor(format, false);
    attributes.link.reset();
    attributes.breakType = type;
    m_text.append(QStringLiteral("\n"), attributes);
}

void DocXBodyReader::readInline(pugi::xml_node parent, int depth)
{
    if (depth > maximumDepth)
        return;
    for (pugi::xml_node child = parent.first_child(); child && !outOfBudget(); child = child.next_sibling()) {
        if (is(child, "w:r")) {
            readRun(child, depth + 1);
        } else if (is(child, "w:hyperlink")) {
            std::optional<QUrl> link;
            const QString id = XmlRead::attribute(child, "r:id");
            if (const PackageRelationship *relationship = id.isEmpty() ? nullptr : m_sources.relationships.find(id);
                relationship && relationship->external)
                link = QUrl(relationship->target);
            if (const QString anchor = XmlRead::attribute(child, "w:anchor"); !anchor.isEmpty())
                link = QUrl((link ? link->toString() : QString()) + u'#' + anchor);
            const std::optional<QUrl> outer = std::exchange(m_hyperlink, link ? link : m_hyperlink);
            readInline(child, depth + 1);
            m_hyperlink = outer;
        } else if (is(child, "w:fldSimple")) {
            const QString instruction = XmlRead::attribute(child, "w:instr").left(maximumInstruction);
            const std::optional<QUrl> target = hyperlinkFieldTarget(instruction);
            m_fields.push_back(Field{instruction, true, target ? target : innermostFieldLink()});
            readInline(child, depth + 1);
            m_fields.pop_back();
        } else if (is(child, "w:sdt")) {
            readInline(XmlRead::firstChild(child, "w:sdtContent"), depth + 1);
        } else if (is(child, "w:ins") || is(child, "w:moveTo") || is(child, "w:smartTag") || is(child, "w:customXml")
                   || is(child, "w:dir") || is(child, "w:bdo")) {
            readInline(child, depth + 1);
        } else if (is(child, "mc:AlternateContent")) {
            readInline(chosenAlternative(child), depth + 1);
        }
    }
}

void DocXBodyReader::readRun(pugi::xml_node run, int depth)
{
    const pugi::xml_node properties = XmlRead::firstChild(run, "w:rPr");
    DocXRunFormat format = m_paragraphRunBase;
    format.overlay(m_sources.styles.runFormat(XmlRead::attribute(XmlRead::firstChild(properties, "w:rStyle"), "w:val")));
    format.overlay(DocXRunFormat::fromXml(properties, m_sources.theme));
    for (pugi::xml_node child = run.first_child(); child; child = child.next_sibling()) {
        if (is(child, "w:ruby")) {
            readRuby(child, depth + 1);
        } else if (is(child, "mc:AlternateContent")) {
            for (pugi::xml_node chosen = chosenAlternative(child).first_child(); chosen; chosen = chosen.next_sibling())
                readRunContent(chosen, format);
        } else {
            readRunContent(child, format);
        }
    }
    m_sources.textBudget.charge(m_text);
}

void DocXBodyReader::readRunContent(pugi::xml_node element, const DocXRunFormat &format)
{
    const char *name = element.name();
    if (std::strcmp(name, "w:t") == 0) {
        if (format.latinFont && isSymbolFont(*format.latinFont))
            appendSymbolFontText(XmlRead::rawText(element), format);
        else
            appendText(XmlRead::rawText(element), format);
    } else if (std::strcmp(name, "w:tab") == 0 || std::strcmp(name, "w:ptab") == 0) {
        appendText(QStringLiteral("\t"), format);
    } else if (std::strcmp(name, "w:br") == 0) {
        const QString type = XmlRead::attribute(element, "w:type");
        if (type == QLatin1String("page"))
            breakParagraph(BreakType::Page, format);
        else if (type == QLatin1String("column"))
            breakParagraph(BreakType::Column, format);
        else
            appendText(QString(QChar(lineSeparator)), format);
    } else if (std::strcmp(name, "w:cr") == 0) {
        appendText(QString(QChar(lineSeparator)), format);
    } else if (std::strcmp(name, "w:noBreakHyphen") == 0) {
        appendText(QString(QChar(u'\u2011')), format);
    } else if (std::strcmp(name, "w:softHyphen") == 0) {
        appendText(QString(QChar(u'\u00AD')), format);
    } else if (std::strcmp(name, "w:sym") == 0) {
        appendSymbol(element, format);
    } else if (std::strcmp(name, "w:fldChar") == 0) {
        readFieldCharacter(element);
    } else if (std::strcmp(name, "w:instrText") == 0) {
        if (!m_fields.empty() && !m_fields.back().showingResult && m_fields.back().instruction.size() < maximumInstruction)
            m_fields.back().instruction += XmlRead::rawText(element);
    } else if (std::strcmp(name, "w:drawing") == 0) {
        readDrawing(element, format);
    } else if (std::strcmp(name, "w:pict") == 0 || std::strcmp(name, "w:object") == 0) {
        readVmlPicture(element, format);
    }
}

// A glyph of a symbol font. The Symbol font's glyphs become the Unicode
// characters they show; any other font's glyph keeps the private-use code
// where such fonts put their glyphs, set in that font, since only the font
// knows what it shows.
void DocXBodyReader::appendSymbol(pugi::xml_node sym, const DocXRunFormat &format)
{
    constexpr uint privateUseStart = 0xF000;
    bool ok = false;
    uint code = XmlRead::attribute(sym, "w:char").toUInt(&ok, 16);
    if (!ok)
        return;
    const QString font = XmlRead::attribute(sym, "w:font");
    if (SymbolFont::isSymbolFamily(font))
        if (const auto character = SymbolFont::unicodeFor(code)) {
            appendText(QString(QChar(*character)), format);
            return;
        }
    // A code written without its private-use offset is never read as a control character.
    if (code < 0x20 || (code >= 0x7F && code <= 0x9F))
        code += privateUseStart;
    if (code > 0xFFFF || QChar::isSurrogate(code))
        return;
    DocXRunFormat inFont = format;
    if (!font.isEmpty() && code >= privateUseStart && code <= privateUseStart + 0xFF) {
        inFont.latinFont = font;
        inFont.eastAsianFont = font;
    }
    appendText(QString(QChar(char16_t(code))), inFont);
}

bool DocXBodyReader::isSymbolFont(const QString &family) const
{
    return SymbolFont::isSymbolFamily(family) || m_sources.symbolFonts.contains(family);
}

// Text of a run set in a symbol font names its glyphs by their codes
// (0x20-0xFF, or the same at U+F020-U+F0FF). The Symbol font's become the
// characters they show, set in the paragraph's font; another symbol font's,
// and codes where Symbol has no glyph, stay in their font at the private-use
// code, never a control character. Characters outside those codes are
// characters of their own.
void DocXBodyReader::appendSymbolFontText(const QString &text, const DocXRunFormat &format)
{
    constexpr char16_t privateUseStart = 0xF000;
    const bool symbolFamily = SymbolFont::isSymbolFamily(*format.latinFont);
    DocXRunFormat asText = format;
    const auto textFont = [this](const std::optional<QString> &font) {
        return font && isSymbolFont(*font) ? std::nullopt : font;
    };
    asText.latinFont = textFont(m_paragraphRunBase.latinFont);
    asText.eastAsianFont =
        textFont(format.eastAsianFont) ? format.eastAsianFont : textFont(m_paragraphRunBase.eastAsianFont);
    QString run;
    const DocXRunFormat *runFormat = &format;
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        const bool glyphCode =
            (code >= 0x20 && code <= 0xFF) || (code >= privateUseStart + 0x20 && code <= privateUseStart + 0xFF);
        const std::optional<char16_t> shown = glyphCode && symbolFamily ? SymbolFont::unicodeFor(code) : std::nullopt;
        const DocXRunFormat *charFormat = shown ? &asText : &format;
        if (charFormat != runFormat)
            appendText(std::exchange(run, QString()), *runFormat);
        runFormat = charFormat;
        run += QChar(shown ? *shown : glyphCode ? char16_t(privateUseStart | (code & 0xFF)) : code);
    }
    appendText(run, *runFormat);
}

void DocXBodyReader::readRuby(pugi::xml_node ruby, int depth)
{
    auto annotation = std::make_shared<RubyAnnotation>();
    annotation->before = plainRunText(XmlRead::firstChild(ruby, "w:rt"));
    const pugi::xml_node properties = XmlRead::firstChild(ruby, "w:rubyPr");
    const auto rubySize = DocXValues::integer(XmlRead::firstChild(properties, "w:hps"), "w:val");
    const auto baseSize = DocXValues::integer(XmlRead::firstChild(properties, "w:hpsBaseText"), "w:val");
    if (rubySize && baseSize && *rubySize > 0 && *baseSize > 0)
        annotation->sizeFactor = double(*rubySize) / *baseSize;
    annotation->alignment = rubyAlignment(XmlRead::attribute(XmlRead::firstChild(properties, "w:rubyAlign"), "w:val"));
    const RubyAnnotationPointer outer = std::exchange(m_ruby, annotation);
    readInline(XmlRead::firstChild(ruby, "w:rubyBase"), depth + 1);
    m_ruby = outer;
}

void DocXBodyReader::readFieldCharacter(pugi::xml_node fieldCharacter)
{
    const QString type = XmlRead::attribute(fieldCharacter, "w:fldCharType");
    if (type == QLatin1String("begin")) {
        m_fields.push_back(Field{QString(), false, innermostFieldLink()});
        ++m_fieldsInInstruction;
    } else if (type == QLatin1String("separate")) {
        if (!m_fields.empty() && !m_fields.back().showingResult) {
            Field &field = m_fields.back();
            field.showingResult = true;
            --m_fieldsInInstruction;
            if (const std::optional<QUrl> target = hyperlinkFieldTarget(field.instruction))
                field.link = target;
        }
    } else if (type == QLatin1String("end")) {
        if (!m_fields.empty()) {
            if (!m_fields.back().showingResult)
                --m_fieldsInInstruction;
            m_fields.pop_back();
        }
    }
}

void DocXBodyReader::readDrawing(pugi::xml_node drawing, const DocXRunFormat &format)
{
    pugi::xml_node frame = XmlRead::firstChild(drawing, "wp:inline");
    if (!frame)
        frame = XmlRead::firstChild(drawing, "wp:anchor");
    const pugi::xml_node extent = XmlRead::firstChild(frame, "wp:extent");
    const double width = XmlRead::attribute(extent, "cx").toDouble() / 12700.0;
    const double height = XmlRead::attribute(extent, "cy").toDouble() / 12700.0;
    const pugi::xml_node blip = frame.find_node([](pugi::xml_node node) { return is(node, "a:blip"); });
    const QString id = XmlRead::attribute(blip, "r:embed");
    if (!id.isEmpty())
        appendPicture(m_sources.pictures.picture(id, QSizeF(width, height)), format);
}

void DocXBodyReader::readVmlPicture(pugi::xml_node container, const DocXRunFormat &format)
{
    const pugi::xml_node data = container.find_node([](pugi::xml_node node) { return is(node, "v:imagedata"); });
    const QString id = XmlRead::attribute(data, "r:id");
    if (id.isEmpty())
        return;
    QSizeF size;
    const QStringList declarations = XmlRead::attribute(data.parent(), "style").split(u';');
    for (const QString &declaration : declarations) {
        const QString property = declaration.section(u':', 0, 0).trimmed().toLower();
        const auto length = DocXValues::cssLength(declaration.section(u':', 1));
        if (property == QLatin1String("width") && length)
            size.setWidth(*length);
        else if (property == QLatin1String("height") && length)
            size.setHeight(*length);
    }
    appendPicture(m_sources.pictures.picture(id, size), format);
}

void DocXBodyReader::appendPicture(const TextAttachmentPointer &picture, const DocXRunFormat &format)
{
    if (!picture || !showsText())
        return;
    TextAttributes attributes = attributesFor(format, false);
    attributes.attachment = picture;
    m_text.append(QString(QChar(objectReplacement)), attributes);
}

void DocXBodyReader::appendText(const QString &text, const DocXRunFormat &format)
{
    if (text.isEmpty() || !showsText())
        return;
    const bool twoFonts = format.eastAsianFont && format.eastAsianFont != format.latinFont;
    if (!twoFonts) {
        m_text.append(text, attributesFor(format, false));
        return;
    }
    // Latin and East Asian stretches of one run may be set in different fonts.
    qsizetype start = 0;
    bool eastAsian = isEastAsian(text.at(0).unicode(), false);
    for (qsizetype i = 1; i <= text.size(); ++i) {
        const bool next = i < text.size() ? isEastAsian(text.at(i).unicode(), eastAsian) : !eastAsian;
        if (next != eastAsian) {
            m_text.append(text.mid(start, i - start), attributesFor(format, eastAsian));
            start = i;
            eastAsian = next;
        }
    }
}

TextAttributes DocXBodyReader::attributesFor(const DocXRunFormat &format, bool eastAsian) const
{
    TextAttributes attributes = format.attributes(eastAsian);
    attributes.paragraphStyle = m_paragraphStyle;
    attributes.link = currentLink();
    attributes.ruby = m_ruby;
    return attributes;
}

bool DocXBodyReader::showsText() const
{
    return m_fieldsInInstruction == 0;
}

std::optional<QUrl> DocXBodyReader::innermostFieldLink() const
{
    return m_fields.empty() ? std::nullopt : m_fields.back().link;
}

std::optional<QUrl> DocXBodyReader::currentLink() const
{
    // A <w:hyperlink> inside a field's result is nearer than the field.
    if (m_hyperlink)
        return m_hyperlink;
    return innermostFieldLink();
}
