// The RTF parser's table of control words, and what each word does.

#include "textsystem/rtf/RtfParser.h"

#include <string_view>
#include <unordered_map>

namespace {

using ControlWord = RtfParser::ControlWord;
using Kind = ControlWord::Kind;
using D = RtfDestination;
using P = RtfParser;

QString hyperlinkTarget(const QString &instruction)
{
    const QString trimmed = instruction.trimmed();
    if (!trimmed.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive))
        return QString();
    const qsizetype open = trimmed.indexOf(QLatin1Char('"'));
    if (open < 0)
        return trimmed.mid(9).trimmed().section(QLatin1Char(' '), 0, 0);
    const qsizetype close = trimmed.indexOf(QLatin1Char('"'), open + 1);
    QString target = trimmed.mid(open + 1, close < 0 ? -1 : close - open - 1);
    // "\l" names a bookmark inside the document.
    if (trimmed.contains(QLatin1String("\\l")) && !target.contains(QLatin1Char(':')))
        target.prepend(QLatin1Char('#'));
    return target;
}

constexpr quint32 in(D destination) { return 1u << int(destination); }
constexpr quint32 inText = in(D::Text);
// Where the text of a destination is collected: only characters count.
constexpr quint32 inCollected = in(D::Text) | in(D::FontTable) | in(D::FieldInstruction) | in(D::LevelText)
    | in(D::NeXTGraphic) | in(D::ShapePropertyName);

constexpr ControlWord flag(RtfParser::Handler handler, int on = 1, quint32 where = inText)
{
    return {Kind::Flag, handler, on, 0, where};
}

constexpr ControlWord value(RtfParser::Handler handler, int fallback = 0, quint32 where = inText)
{
    return {Kind::Value, handler, fallback, 0, where};
}

constexpr ControlWord symbol(char16_t character)
{
    return {Kind::Symbol, nullptr, 0, character, inText};
}

constexpr ControlWord destination(RtfParser::Handler enter)
{
    return {Kind::Destination, enter, 0, 0, 0};
}

// Groups whose content is never text of the document. A nested table's
// \nonesttables group repeats its cells as plain paragraphs for readers
// that know no nested tables; the cells themselves are read.
constexpr std::string_view skippedDestinations[] = {
    "stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
    "footerf", "footnote", "annotation", "pntext", "pntxta", "pntxtb", "listtext", "rsidtbl",
    "xmlnstbl", "generator", "themedata", "colorschememapping", "latentstyles", "datastore",
    "nonshppict", "object", "objdata", "bkmkstart", "bkmkend", "revtbl", "filetbl", "author",
    "operator", "title", "subject", "keywords", "comment", "doccomm", "company", "buptim",
    "creatim", "printim", "revtim", "pgdsctbl", "expandedcolortbl", "mmathPr",
    "atnid", "atnauthor", "xe", "tc", "template", "userprops", "fchars", "lchars", "picprop",
    "nonesttables",
};

std::unordered_map<std::string_view, ControlWord> makeTable()
{
    using namespace TextLineStyle;
    std::unordered_map<std::string_view, ControlWord> words = {
        // Character formatting.
        {"plain", flag(&P::plain)},
        {"b", flag(&P::bold)},
        {"i", flag(&P::italic)},
        {"f", value(&P::font, 0, inText | in(D::FontTable))},
        {"fs", value(&P::fontSize, 24)},
        {"af", value(&P::associatedFont)},
        {"ab", flag(&P::associatedBold)},
        {"ai", flag(&P::associatedItalic)},
        {"afs", value(&P::associatedFontSize, 24)},
        {"loch", flag(&P::lowAnsiText)},
        {"hich", flag(&P::highAnsiText)},
        {"dbch", flag(&P::doubleByteText)},
        {"rtlch", flag(&P::rightToLeftText)},
        {"ltrch", flag(&P::leftToRightText)},
        {"ul", flag(&P::underlineStyle, single)},
        {"uld", flag(&P::underlineStyle, single | patternDot)},
        {"uldash", flag(&P::underlineStyle, single | patternDash)},
        {"uldashd", flag(&P::underlineStyle, single | patternDashDot)},
        {"uldashdd", flag(&P::underlineStyle, single | patternDashDotDot)},
        {"uldb", flag(&P::underlineStyle, doubleLine)},
        {"ulth", flag(&P::underlineStyle, thick)},
        {"ulthd", flag(&P::underlineStyle, thick | patternDot)},
        {"ulthdash", flag(&P::underlineStyle, thick | patternDash)},
        {"ulthdashd", flag(&P::underlineStyle, thick | patternDashDot)},
        {"ulthdashdd", flag(&P::underlineStyle, thick | patternDashDotDot)},
        {"ulw", flag(&P::underlineStyle, single | byWord)},
        {"ulwave", flag(&P::underlineStyle, single)},
        {"ulhwave", flag(&P::underlineStyle, thick)},
        {"ululdbwave", flag(&P::underlineStyle, doubleLine)},
        {"ulldash", flag(&P::underlineStyle, single | patternDash)},
        {"ulnone", flag(&P::underlineNone)},
        {"ulc", value(&P::underlineColor)},
        {"strike", flag(&P::strike, single)},
        {"striked", flag(&P::strike, doubleLine)},
        {"cf", value(&P::foreground)},
        {"cb", value(&P::background)},
        {"highlight", value(&P::background)},
        {"chcbpat", value(&P::background)},
        {"super", flag(&P::superscript)},
        {"sub", flag(&P::subscript)},
        {"nosupersub", flag(&P::noSuperSub)},
        {"up", value(&P::raise, 6)},
        {"dn", value(&P::lower, 6)},
        {"outl", flag(&P::outline)},
        {"strokewidth", value(&P::strokeWidth)},
        {"strokec", value(&P::strokeColor)},
        {"shad", flag(&P::shadow)},
        {"shadx", value(&P::shadowX)},
        {"shady", value(&P::shadowY)},
        {"shadr", value(&P::shadowRadius)},
        {"shado", value(&P::shadowOpacity)},
        {"shadc", value(&P::shadowColor)},
        {"u", value(&P::unicodeCharacter, 0, inCollected)},
        {"uc", value(&P::unicodeSkip, 1, inCollected)},

        // Paragraphs, breaks and tables.
        {"pard", flag(&P::paragraphDefaults)},
        {"ql", flag(&P::alignLeft)},
        {"qr", flag(&P::alignRight)},
        {"qc", flag(&P::alignCenter)},
        {"qj", flag(&P::alignJustified)},
        {"qd", flag(&P::alignJustified)},
        {"li", value(&P::leftIndent)},
        {"lin", value(&P::leftIndent)},
        {"ri", value(&P::rightIndent)},
        {"rin", value(&P::rightIndent)},
        {"fi", value(&P::firstLineIndent)},
        {"sb", value(&P::spaceBefore)},
        {"sa", value(&P::spaceAfter)},
        {"sl", value(&P::lineSpacing)},
        {"slmult", value(&P::lineMultiple)},
        {"ls", value(&P::listOverride)},
        {"ilvl", value(&P::listLevel)},
        {"pagebb", flag(&P::pageBreakBefore)},
        {"intbl", flag(&P::inTable)},
        {"par", flag(&P::paragraphEnd)},
        {"sect", flag(&P::paragraphEnd)},
        {"page", flag(&P::pageBreak)},
        {"column", flag(&P::columnBreak)},
        {"cell", flag(&P::cellEnd)},
        {"nestcell", flag(&P::cellEnd)},
        {"row", flag(&P::rowEnd)},
        {"nestrow", flag(&P::rowEnd)},

        // Characters.
        {"tab", symbol(u'\t')},
        {"line", symbol(u'\u2028')},
        {"emdash", symbol(u'—')},
        {"endash", symbol(u'–')},
        {"bullet", symbol(u'•')},
        {"lquote", symbol(u'‘')},
        {"rquote", symbol(u'’')},
        {"ldblquote", symbol(u'“')},
        {"rdblquote", symbol(u'”')},
        {"emspace", symbol(u'\u2003')},
        {"enspace", symbol(u'\u2002')},
        {"qmspace", symbol(u'\u2005')},
        {"zwj", symbol(u'\u200D')},
        {"zwnj", symbol(u'\u200C')},

        // The header and its tables.
        {"ansicpg", value(&P::codePage)},
        {"mac", flag(&P::macCodePage)},
        {"pc", flag(&P::pcCodePage)},
        {"pca", flag(&P::pcaCodePage)},
        {"deff", value(&P::defaultFont, -1)},
        {"fcharset", value(&P::fontCharset, 0, in(D::FontTable))},
        {"red", value(&P::red, 0, in(D::ColorTable))},
        {"green", value(&P::green, 0, in(D::ColorTable))},
        {"blue", value(&P::blue, 0, in(D::ColorTable))},

        // Pictures, attachments and shapes.
        {"pngblip", flag(&P::pictureFormat, 1, in(D::Picture))},
        {"jpegblip", flag(&P::pictureFormat, 1, in(D::Picture))},
        {"picwgoal", value(&P::pictureGoalWidth, 0, in(D::Picture))},
        {"pichgoal", value(&P::pictureGoalHeight, 0, in(D::Picture))},
        {"picscalex", value(&P::pictureScaleX, 100, in(D::Picture))},
        {"picscaley", value(&P::pictureScaleY, 100, in(D::Picture))},
        {"width", value(&P::graphicWidth, 0, in(D::NeXTGraphic))},
        {"height", value(&P::graphicHeight, 0, in(D::NeXTGraphic))},
        {"shpleft", value(&P::shapeLeft, 0, in(D::ShapeInstruction))},
        {"shpright", value(&P::shapeRight, 0, in(D::ShapeInstruction))},
        {"shptop", value(&P::shapeTop, 0, in(D::ShapeInstruction))},
        {"shpbottom", value(&P::shapeBottom, 0, in(D::ShapeInstruction))},

        // Destinations.
        {"fonttbl", destination(&P::enterFontTable)},
        {"colortbl", destination(&P::enterColorTable)},
        {"listtable", destination(&P::enterListTable)},
        {"listoverridetable", destination(&P::enterListOverrideTable)},
        {"leveltext", destination(&P::enterLevelText)},
        {"pict", destination(&P::enterPicture)},
        {"field", destination(&P::enterField)},
        {"fldinst", destination(&P::enterFieldInstruction)},
        {"fldrslt", destination(&P::enterFieldResult)},
        {"NeXTGraphic", destination(&P::enterNeXTGraphic)},
        {"shp", destination(&P::enterShape)},
        {"shpinst", destination(&P::enterShapeInstruction)},
        {"sn", destination(&P::enterShapePropertyName)},
        {"sv", destination(&P::enterShapePropertyValue)},
        {"shprslt", destination(&P::enterShapeResult)},
        {"shppict", destination(&P::enterPictureGroup)},
    };
    for (std::string_view name : skippedDestinations)
        words.emplace(name, destination(&P::enterSkip));
    return words;
}

} // namespace

const RtfParser::ControlWord *RtfParser::controlWord(QByteArrayView name)
{
    static const std::unordered_map<std::string_view, ControlWord> words = makeTable();
    const auto found = words.find(std::string_view(name.data(), size_t(name.size())));
    return found == words.end() ? nullptr : &found->second;
}

// ---- what each word does ----

void RtfParser::plain(int)
{
    RtfCharacterState &c = characters();
    const QString link = c.link;
    c = RtfCharacterState();
    c.link = link;
}

void RtfParser::bold(int on)
{
    characters().bold = on;
    characters().fontChosen = true;
}

void RtfParser::italic(int on)
{
    characters().italic = on;
    characters().fontChosen = true;
}

void RtfParser::font(int number)
{
    if (inDestination(RtfDestination::FontTable)) {
        if (m_fontEntry >= 0 && !m_fontName.isEmpty())
            finishFontEntry();
        m_fontEntry = number;
        m_fontEntryCharset = -1;
        return;
    }
    RtfCharacterState &c = characters();
    c.fonts[int(c.textSlot)] = number;
    c.fontChosen = true;
}

void RtfParser::fontSize(int halfPoints)
{
    characters().halfPoints = halfPoints > 0 ? halfPoints : 24;
    characters().fontChosen = true;
}

void RtfParser::associatedFont(int number)
{
    RtfCharacterState &c = characters();
    c.fonts[int(c.associatedSlot)] = number;
    c.fontChosen = true;
}

void RtfParser::associatedBold(int on)
{
    if (characters().associatedSlot == RtfFontSlot::DoubleByte) {
        characters().doubleByteBold = on != 0;
        characters().fontChosen = true;
    }
}

void RtfParser::associatedItalic(int on)
{
    if (characters().associatedSlot == RtfFontSlot::DoubleByte) {
        characters().doubleByteItalic = on != 0;
        characters().fontChosen = true;
    }
}

void RtfParser::associatedFontSize(int halfPoints)
{
    if (characters().associatedSlot == RtfFontSlot::DoubleByte) {
        characters().doubleByteHalfPoints = halfPoints > 0 ? halfPoints : 24;
        characters().fontChosen = true;
    }
}

void RtfParser::lowAnsiText(int)
{
    characters().textSlot = characters().associatedSlot = RtfFontSlot::Latin;
}

void RtfParser::highAnsiText(int)
{
    characters().textSlot = characters().associatedSlot = RtfFontSlot::HighAnsi;
}

void RtfParser::doubleByteText(int)
{
    characters().textSlot = characters().associatedSlot = RtfFontSlot::DoubleByte;
}

void RtfParser::rightToLeftText(int)
{
    characters().associatedSlot = RtfFontSlot::Complex;
}

void RtfParser::leftToRightText(int)
{
    characters().associatedSlot = characters().textSlot;
}

void RtfParser::underlineStyle(int style) { characters().underline = style; }
void RtfParser::underlineNone(int) { characters().underline = 0; }
void RtfParser::underlineColor(int index) { characters().underlineColor = index; }
void RtfParser::strike(int style) { characters().strike = style; }
void RtfParser::foreground(int index) { characters().foreground = index; }
void RtfParser::background(int index) { characters().background = index; }
void RtfParser::superscript(int) { characters().script = 1; }
void RtfParser::subscript(int) { characters().script = -1; }

void RtfParser::noSuperSub(int)
{
    characters().script = 0;
    characters().raise = 0;
}

void RtfParser::raise(int halfPoints) { characters().raise = measure(halfPoints); }
void RtfParser::lower(int halfPoints) { characters().raise = -measure(halfPoints); }

void RtfParser::outline(int on)
{
    RtfCharacterState &c = characters();
    if (!on)
        c.strokeWidth = 0;
    else if (c.strokeWidth == 0)
        c.strokeWidth = 60; // an outline of 3 % of the size, as \strokewidth60 says
}

void RtfParser::strokeWidth(int value) { characters().strokeWidth = measure(value); }
void RtfParser::strokeColor(int index) { characters().strokeColor = index; }
void RtfParser::shadow(int on) { characters().shadow = on; }
void RtfParser::shadowX(int twips) { characters().shadowX = measure(twips); }
void RtfParser::shadowY(int twips) { characters().shadowY = measure(twips); }
void RtfParser::shadowRadius(int twips) { characters().shadowRadius = measure(twips); }
void RtfParser::shadowOpacity(int percent) { characters().shadowOpacity = percent; }
void RtfParser::shadowColor(int index) { characters().shadowColor = index; }

void RtfParser::unicodeCharacter(int value)
{
    const char16_t unit = char16_t(value < 0 ? value + 65536 : value);
    m_skipCount = 0;
    const FontEntry *symbolFont = inDestination(RtfDestination::Text) ? shownSymbolFont() : nullptr;
    if (symbolFont && (unit <= 0xFF || (unit >= 0xF000 && unit <= 0xF0FF)))
        appendSymbolText(QString(QChar(unit)), *symbolFont);
    else if (inDestination(RtfDestination::Text))
        appendText(QString(QChar(unit)));
    else
        m_destinationText += QChar(unit);
    m_skipCount = state().unicodeSkip;
}

void RtfParser::unicodeSkip(int count) { state().unicodeSkip = qMax(0, count); }

void RtfParser::paragraphDefaults(int) { paragraph() = RtfParagraphState(); }
void RtfParser::alignLeft(int) { paragraph().alignment = TextAlignment::Left; }
void RtfParser::alignRight(int) { paragraph().alignment = TextAlignment::Right; }
void RtfParser::alignCenter(int) { paragraph().alignment = TextAlignment::Center; }
void RtfParser::alignJustified(int) { paragraph().alignment = TextAlignment::Justified; }
void RtfParser::leftIndent(int twips) { paragraph().leftIndent = measure(twips); }
void RtfParser::rightIndent(int twips) { paragraph().rightIndent = measure(twips); }
void RtfParser::firstLineIndent(int twips) { paragraph().firstIndent = measure(twips); }
void RtfParser::spaceBefore(int twips) { paragraph().spaceBefore = measure(twips); }
void RtfParser::spaceAfter(int twips) { paragraph().spaceAfter = measure(twips); }
void RtfParser::lineSpacing(int value) { paragraph().lineSpacing = measure(value); }
void RtfParser::lineMultiple(int on) { paragraph().lineMultiple = on != 0; }
void RtfParser::listOverride(int index) { paragraph().listOverride = index; }
void RtfParser::listLevel(int level) { paragraph().listLevel = level; }
void RtfParser::pageBreakBefore(int on) { paragraph().pageBreakBefore = on != 0; }
void RtfParser::inTable(int on) { paragraph().inTable = on != 0; }

void RtfParser::paragraphEnd(int)
{
    if (!paragraph().inTable) {
        endParagraph();
        return;
    }
    // Inside a cell a \par ends the line only when more of the cell follows.
    flushCellParagraphEnd();
    m_lastParagraph = paragraph();
    m_cellParagraphEnd = CellParagraphEnd{currentAttributes(), paragraph()};
}

void RtfParser::pageBreak(int) { endParagraph(BreakType::Page); }
void RtfParser::columnBreak(int) { endParagraph(BreakType::Column); }

void RtfParser::cellEnd(int)
{
    m_cellParagraphEnd.reset();
    if (m_pendingCellTab)
        m_text.append(QStringLiteral("\t"), currentAttributes()); // the cell before was empty
    m_pendingCellTab = true;
}

void RtfParser::rowEnd(int)
{
    m_cellParagraphEnd.reset();
    m_pendingCellTab = false;
    endParagraph();
}

void RtfParser::codePage(int page)
{
    if (page > 0)
        m_documentCodePage = page;
}

void RtfParser::macCodePage(int) { m_documentCodePage = WindowsCodePage::macRoman; }
void RtfParser::pcCodePage(int) { m_documentCodePage = 437; }
void RtfParser::pcaCodePage(int) { m_documentCodePage = 850; }

void RtfParser::defaultFont(int number)
{
    if (number >= 0)
        m_defaultFont = number;
}

void RtfParser::fontCharset(int charset) { m_fontEntryCharset = charset; }
void RtfParser::red(int value) { m_red = qBound(0, value, 255); }
void RtfParser::green(int value) { m_green = qBound(0, value, 255); }
void RtfParser::blue(int value) { m_blue = qBound(0, value, 255); }

void RtfParser::pictureFormat(int readable)
{
    if (m_picture)
        m_picture->readable = readable != 0;
}

void RtfParser::pictureGoalWidth(int twips)
{
    if (m_picture)
        m_picture->goalWidth = measure(twips);
}

void RtfParser::pictureGoalHeight(int twips)
{
    if (m_picture)
        m_picture->goalHeight = measure(twips);
}

void RtfParser::pictureScaleX(int percent)
{
    if (m_picture)
        m_picture->scaleX = measure(percent);
}

void RtfParser::pictureScaleY(int percent)
{
    if (m_picture)
        m_picture->scaleY = measure(percent);
}

void RtfParser::graphicWidth(int twips)
{
    if (m_graphic)
        m_graphic->width = measure(twips);
}

void RtfParser::graphicHeight(int twips)
{
    if (m_graphic)
        m_graphic->height = measure(twips);
}

void RtfParser::shapeLeft(int twips)
{
    if (m_shape)
        m_shape->left = measure(twips);
}

void RtfParser::shapeRight(int twips)
{
    if (m_shape)
        m_shape->right = measure(twips);
}

void RtfParser::shapeTop(int twips)
{
    if (m_shape)
        m_shape->top = measure(twips);
}

void RtfParser::shapeBottom(int twips)
{
    if (m_shape)
        m_shape->bottom = measure(twips);
}

// ---- destinations; the parameter is 1 after \* ----

void RtfParser::enterSkip(int) { enter(RtfDestination::Skip); }
void RtfParser::enterFontTable(int) { enter(RtfDestination::FontTable); }

void RtfParser::enterColorTable(int)
{
    m_colors.clear();
    enter(RtfDestination::ColorTable);
}

void RtfParser::enterListTable(int) { enter(RtfDestination::ListTable); }
void RtfParser::enterListOverrideTable(int) { enter(RtfDestination::ListOverrideTable); }

void RtfParser::enterLevelText(int ignorable)
{
    if (inDestination(RtfDestination::ListTable))
        enterCollecting(RtfDestination::LevelText);
    else if (ignorable)
        enter(RtfDestination::Skip);
}

void RtfParser::enterPicture(int)
{
    if (!inDestination(RtfDestination::Text) && !inDestination(RtfDestination::ShapePicture)) {
        enter(RtfDestination::Skip);
        return;
    }
    m_picture.emplace();
    m_picture->depth = depth();
    enter(RtfDestination::Picture);
}

void RtfParser::enterField(int)
{
    if (inDestination(RtfDestination::Text))
        m_fields.push_back(Field{depth(), QString()});
}

void RtfParser::enterFieldInstruction(int) { enterCollecting(RtfDestination::FieldInstruction); }

void RtfParser::enterFieldResult(int)
{
    if (!m_fields.empty())
        characters().link = hyperlinkTarget(m_fields.back().instruction);
}

void RtfParser::enterNeXTGraphic(int ignorable)
{
    if (!inDestination(RtfDestination::Text)) {
        if (ignorable)
            enter(RtfDestination::Skip);
        return;
    }
    m_graphic = Graphic{QString(), 0, 0, false, depth()};
    enterCollecting(RtfDestination::NeXTGraphic);
}

// A shape: its picture ("pib") is read into the text where the shape is
// anchored; its result, the same picture for readers without shapes, is
// then left out.
void RtfParser::enterShape(int)
{
    if (inDestination(RtfDestination::Text))
        m_shape = Shape{depth(), 0, 0, 0, 0, QString(), false};
}

void RtfParser::enterShapeInstruction(int)
{
    enter(m_shape ? RtfDestination::ShapeInstruction : RtfDestination::Skip);
}

void RtfParser::enterShapePropertyName(int)
{
    if (inDestination(RtfDestination::ShapeInstruction))
        enterCollecting(RtfDestination::ShapePropertyName);
    else
        enter(RtfDestination::Skip);
}

void RtfParser::enterShapePropertyValue(int)
{
    const bool picture = inDestination(RtfDestination::ShapeInstruction) && m_shape
        && m_shape->propertyName == QLatin1String("pib");
    enter(picture ? RtfDestination::ShapePicture : RtfDestination::Skip);
}

void RtfParser::enterShapeResult(int)
{
    if (m_shape && m_shape->hasPicture)
        enter(RtfDestination::Skip);
}

void RtfParser::enterPictureGroup(int)
{
    // {\*\shppict {\pict ...}}: the picture inside is read.
}
