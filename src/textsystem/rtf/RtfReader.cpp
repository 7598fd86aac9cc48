#include "textsystem/rtf/RtfReader.h"

#include "textsystem/PictureAttachment.h"
#include "platform/RtfCodePage.h"
#include "textsystem/rtf/RtfListTable.h"
#include "textsystem/rtf/RtfTokenizer.h"

#include <QHash>
#include <QUrl>

#include <vector>

namespace {

enum class Destination {
    Text,
    Skip,
    FontTable,
    ColorTable,
    Picture,
    FieldInstruction,
    ListTable,
    ListOverrideTable,
    LevelText,
    NeXTGraphic,
};

struct CharacterState {
    int font = -1;
    int halfPoints = 24;
    bool fontChosen = false; // \f, \fs, \b or \i seen: the run carries a font
    bool bold = false;
    bool italic = false;
    int underline = 0;
    int strike = 0;
    int foreground = 0; // colour table indices; 0 is "auto"
    int background = 0;
    int underlineColor = 0;
    int raise = 0;      // half-points, \up and \dn
    int script = 0;     // 1 \super, -1 \sub
    int strokeWidth = 0; // twentieths of a percent of the font size
    int strokeColor = 0;
    bool shadow = false;
    int shadowX = 0, shadowY = 0, shadowRadius = 0; // twips
    int shadowOpacity = 100;
    int shadowColor = 0;
    QString link;
};

struct ParagraphState {
    TextAlignment alignment = TextAlignment::Natural;
    int leftIndent = 0, rightIndent = 0, firstIndent = 0; // twips
    int spaceBefore = 0, spaceAfter = 0;
    int lineSpacing = 0;
    bool lineMultiple = false;
    int listOverride = 0;
    int listLevel = 0;
    bool pageBreakBefore = false;
};

// The group a list-table control word opened.
enum class ListGroup { None, List, Level, Override };

struct GroupState {
    Destination destination = Destination::Text;
    ListGroup listGroup = ListGroup::None;
    int unicodeSkip = 1;
    bool doubleByte = false; // after \dbch: \ab, \afs, \af apply to the text
    CharacterState characters;
    ParagraphState paragraph;
};

struct FontEntry {
    QString name;
    int codePage = 0;
};

struct Field {
    int depth = 0;
    QString instruction;
};

struct PictureState {
    int depth = 0;
    QByteArray hex;
    QByteArray binary;
    bool readable = false; // PNG or JPEG
    int goalWidth = 0, goalHeight = 0; // twips
    int width = 0, height = 0;         // pixels, \picw \pich
    int scaleX = 100, scaleY = 100;
};

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

int underlineStyle(QByteArrayView word)
{
    static const QHash<QByteArray, int> styles = {
        {"ul", TextLineStyle::single},
        {"uld", TextLineStyle::single | TextLineStyle::patternDot},
        {"uldash", TextLineStyle::single | TextLineStyle::patternDash},
        {"uldashd", TextLineStyle::single | TextLineStyle::patternDashDot},
        {"uldashdd", TextLineStyle::single | TextLineStyle::patternDashDotDot},
        {"uldb", TextLineStyle::doubleLine},
        {"ulth", TextLineStyle::thick},
        {"ulthd", TextLineStyle::thick | TextLineStyle::patternDot},
        {"ulthdash", TextLineStyle::thick | TextLineStyle::patternDash},
        {"ulthdashd", TextLineStyle::thick | TextLineStyle::patternDashDot},
        {"ulthdashdd", TextLineStyle::thick | TextLineStyle::patternDashDotDot},
        {"ulw", TextLineStyle::single | TextLineStyle::byWord},
        {"ulwave", TextLineStyle::single},
        {"ulhwave", TextLineStyle::thick},
        {"ululdbwave", TextLineStyle::doubleLine},
        {"ulldash", TextLineStyle::single | TextLineStyle::patternDash},
    };
    return styles.value(word.toByteArray(), -1);
}

QChar specialCharacter(QByteArrayView word)
{
    static const QHash<QByteArray, char16_t> characters = {
        {"emdash", u'—'},    {"endash", u'–'},    {"bullet", u'•'},   {"lquote", u'‘'},
        {"rquote", u'’'},    {"ldblquote", u'“'}, {"rdblquote", u'”'}, {"emspace", u'\u2003'},
        {"enspace", u'\u2002'}, {"qmspace", u'\u2005'}, {"zwj", u'\u200D'}, {"zwnj", u'\u200C'},
        {"tab", u'\t'},      {"line", u'\u2028'},
    };
    const auto found = characters.constFind(word.toByteArray());
    return found == characters.cend() ? QChar() : QChar(*found);
}

// Groups whose content is never text of the document.
bool isSkippedDestination(QByteArrayView word)
{
    static const QList<QByteArray> names = {
        "stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
        "footerf", "footnote", "annotation", "pntext", "pntxta", "pntxtb", "listtext", "rsidtbl",
        "xmlnstbl", "generator", "themedata", "colorschememapping", "latentstyles", "datastore",
        "nonshppict", "object", "objdata", "bkmkstart", "bkmkend", "revtbl", "filetbl", "author",
        "operator", "title", "subject", "keywords", "comment", "doccomm", "company", "buptim",
        "creatim", "printim", "revtim", "shpinst", "pgdsctbl", "expandedcolortbl", "mmathPr",
        "atnid", "atnauthor", "xe", "tc", "template", "userprops", "fchars", "lchars",
    };
    return names.contains(word.toByteArray());
}

class RtfParser
{
public:
    RtfParser(const QByteArray &rtf, const RtfReader::AttachmentLoader &attachments)
        : m_tokenizer(rtf), m_attachments(attachments)
    {
    }

    bool parse(QString *error);
    StyledText takeText() { return std::move(m_text); }

private:
    GroupState &state() { return m_groups.back(); }
    int depth() const { return int(m_groups.size()); }

    bool handleGroupStart(QString *error);
    void handleGroupEnd();
    void handleControlWord(const RtfToken &token);
    void handleControlSymbol(char symbol);
    void handleBytes(QByteArrayView bytes);
    void handleUnicode(int value);
    bool beginDestination(QByteArrayView word, bool ignorable);
    bool characterFormatting(QByteArrayView word, std::optional<int> parameter);
    bool paragraphFormatting(QByteArrayView word, std::optional<int> parameter);
    void headerControl(QByteArrayView word, std::optional<int> parameter);
    void fontTableControl(QByteArrayView word, int parameter);
    void colorTableControl(QByteArrayView word, int parameter);
    void pictureControl(QByteArrayView word, int parameter);

    int currentCodePage() const;
    void flushBytes();
    void appendDestinationText(const QString &text);
    void appendText(const QString &text);
    void appendAttachment(const TextAttachmentPointer &attachment);
    void endParagraph(std::optional<BreakType> breakType = std::nullopt);
    void finishParagraphStyle(qsizetype end);
    void finishPicture();
    void finishFontEntry();
    TextAttributes currentAttributes() const;
    std::optional<QColor> color(int index) const;
    std::optional<ParagraphStyle> paragraphStyle(const ParagraphState &paragraph) const;

    RtfTokenizer m_tokenizer;
    const RtfReader::AttachmentLoader &m_attachments;
    std::vector<GroupState> m_groups;
    StyledText m_text;

    int m_documentCodePage = RtfCodePage::ansi;
    int m_defaultFont = -1;
    QHash<int, FontEntry> m_fonts;
    int m_fontEntry = -1;
    int m_fontEntryCharset = -1;
    QString m_fontName;
    QList<std::optional<QColor>> m_colors;
    std::optional<int> m_red, m_green, m_blue;
    RtfListTable m_lists;
    std::vector<Field> m_fields;
    std::optional<PictureState> m_picture;
    QString m_destinationText; // of \fldinst, \leveltext and \NeXTGraphic
    int m_destinationDepth = 0;

    QByteArray m_pendingBytes;
    int m_pendingCodePage = 0;
    int m_skipCount = 0;      // characters still to skip after \uN
    bool m_pendingCellTab = false;
    qsizetype m_paragraphStart = 0;
    ParagraphState m_lastParagraph; // the paragraph properties in force at the last text
    QString m_graphicName;       // a \NeXTGraphic group just ended: its file
    int m_graphicDepth = 0;      // ...inside the group at this depth
    bool m_sawDestinationMarker = false;
};

bool RtfParser::parse(QString *error)
{
    m_groups.reserve(64);
    for (RtfToken token = m_tokenizer.next(); token.type != RtfToken::Type::End; token = m_tokenizer.next()) {
        const bool isByteToken = token.type == RtfToken::Type::Text || token.type == RtfToken::Type::HexByte;
        if (!isByteToken)
            flushBytes();
        if (m_groups.empty() && token.type != RtfToken::Type::GroupStart)
            continue; // nothing outside the outer group counts
        switch (token.type) {
        case RtfToken::Type::GroupStart:
            if (!handleGroupStart(error))
                return false;
            break;
        case RtfToken::Type::GroupEnd:
            handleGroupEnd();
            if (m_groups.empty())
                goto done; // what follows the document's group is not read
            break;
        case RtfToken::Type::ControlWord:
            if (m_skipCount > 0) {
                --m_skipCount;
                break;
            }
            handleControlWord(token);
            break;
        case RtfToken::Type::ControlSymbol:
            if (m_skipCount > 0) {
                --m_skipCount;
                break;
            }
            handleControlSymbol(token.symbol);
            break;
        case RtfToken::Type::Text:
            handleBytes(token.bytes);
            break;
        case RtfToken::Type::HexByte: {
            const char byte = char(token.byte);
            handleBytes(QByteArrayView(&byte, 1));
            break;
        }
        case RtfToken::Type::Binary:
            if (m_skipCount > 0)
                --m_skipCount;
            else if (m_picture && state().destination == Destination::Picture)
                m_picture->binary += token.bytes.toByteArray();
            break;
        case RtfToken::Type::End:
            break;
        }
    }
done:
    flushBytes();
    while (!m_groups.empty())
        handleGroupEnd(); // a truncated file keeps what it holds
    finishParagraphStyle(m_text.length());
    return true;
}

bool RtfParser::handleGroupStart(QString *error)
{
    m_skipCount = 0;
    if (depth() >= RtfReader::maximumDepth) {
        *error = QStringLiteral("The RTF file nests groups more than %1 deep.").arg(RtfReader::maximumDepth);
        return false;
    }
    m_groups.push_back(m_groups.empty() ? GroupState() : m_groups.back());
    m_groups.back().listGroup = ListGroup::None;
    m_sawDestinationMarker = false;
    return true;
}

void RtfParser::handleGroupEnd()
{
    m_skipCount = 0;
    const int closing = depth();
    const Destination destination = state().destination;
    if (destination == Destination::FontTable && closing > 1 && m_groups[closing - 2].destination == Destination::FontTable)
        finishFontEntry();
    if (m_picture && m_picture->depth == closing)
        finishPicture();
    if (m_destinationDepth == closing) {
        m_destinationDepth = 0;
        if (destination == Destination::LevelText)
            m_lists.levelText(m_destinationText);
        else if (destination == Destination::FieldInstruction && !m_fields.empty())
            m_fields.back().instruction += m_destinationText;
        else if (destination == Destination::NeXTGraphic) {
            m_graphicName = m_destinationText.trimmed();
            m_graphicDepth = closing - 1;
        }
        m_destinationText.clear();
    }
    switch (state().listGroup) {
    case ListGroup::List: m_lists.listEnded(); break;
    case ListGroup::Level: m_lists.listLevelEnded(); break;
    case ListGroup::Override: m_lists.overrideEnded(); break;
    case ListGroup::None: break;
    }
    if (!m_fields.empty() && m_fields.back().depth == closing)
        m_fields.pop_back();
    if (!m_graphicName.isEmpty() && closing == m_graphicDepth) {
        // The group ended without its attachment character: put the picture here.
        const QString name = std::exchange(m_graphicName, QString());
        m_groups.pop_back();
        if (m_attachments)
            if (const std::optional<QByteArray> bytes = m_attachments(name))
                if (const TextAttachmentPointer attachment = PictureAttachment::fromBytes(*bytes))
                    appendAttachment(attachment);
        return;
    }
    m_groups.pop_back();
}

void RtfParser::handleControlWord(const RtfToken &token)
{
    const QByteArrayView word = token.name;
    const bool ignorable = std::exchange(m_sawDestinationMarker, false);
    if (beginDestination(word, ignorable))
        return;
    const int parameter = token.parameter.value_or(0);
    switch (state().destination) {
    case Destination::Skip:
        return;
    case Destination::FontTable:
        fontTableControl(word, parameter);
        return;
    case Destination::ColorTable:
        colorTableControl(word, parameter);
        return;
    case Destination::Picture:
        pictureControl(word, parameter);
        return;
    case Destination::ListTable:
        if (word == "list" || word == "listlevel")
            state().listGroup = word == "list" ? ListGroup::List : ListGroup::Level;
        m_lists.controlWord(RtfListTable::Table::Lists, word, parameter);
        return;
    case Destination::ListOverrideTable:
        if (word == "listoverride")
            state().listGroup = ListGroup::Override;
        m_lists.controlWord(RtfListTable::Table::Overrides, word, parameter);
        return;
    case Destination::LevelText:
    case Destination::FieldInstruction:
    case Destination::NeXTGraphic:
        if (word == "u")
            handleUnicode(parameter);
        else if (word == "uc")
            state().unicodeSkip = qMax(0, parameter);
        return;
    case Destination::Text:
        break;
    }
    if (word == "u") {
        handleUnicode(parameter);
    } else if (word == "uc") {
        state().unicodeSkip = qMax(0, parameter);
    } else if (word == "par" || word == "sect") {
        endParagraph();
    } else if (word == "page") {
        endParagraph(BreakType::Page);
    } else if (word == "column") {
        endParagraph(BreakType::Column);
    } else if (word == "cell" || word == "nestcell") {
        m_pendingCellTab = true;
    } else if (word == "row" || word == "nestrow") {
        m_pendingCellTab = false;
        endParagraph();
    } else if (const QChar special = specialCharacter(word); !special.isNull()) {
        appendText(QString(special));
    } else if (!characterFormatting(word, token.parameter) && !paragraphFormatting(word, token.parameter)) {
        headerControl(word, token.parameter);
    }
}

bool RtfParser::beginDestination(QByteArrayView word, bool ignorable)
{
    GroupState &group = state();
    const Destination current = group.destination;
    if (current == Destination::Skip)
        return true;
    auto enter = [&](Destination destination) {
        group.destination = destination;
        return true;
    };
    auto enterCollecting = [&](Destination destination) {
        m_destinationText.clear();
        m_destinationDepth = depth();
        return enter(destination);
    };
    if (word == "fonttbl")
        return enter(Destination::FontTable);
    if (word == "colortbl") {
        m_colors.clear();
        return enter(Destination::ColorTable);
    }
    if (word == "listtable")
        return enter(Destination::ListTable);
    if (word == "listoverridetable")
        return enter(Destination::ListOverrideTable);
    if (word == "leveltext" && current == Destination::ListTable)
        return enterCollecting(Destination::LevelText);
    if (word == "pict" && current == Destination::Text) {
        m_picture.emplace();
        m_picture->depth = depth();
        return enter(Destination::Picture);
    }
    if (word == "field" && current == Destination::Text) {
        m_fields.push_back(Field{depth(), QString()});
        return true;
    }
    if (word == "fldinst")
        return enterCollecting(Destination::FieldInstruction);
    if (word == "fldrslt") {
        if (!m_fields.empty())
            group.characters.link = hyperlinkTarget(m_fields.back().instruction);
        return true;
    }
    if (word == "NeXTGraphic" && current == Destination::Text)
        return enterCollecting(Destination::NeXTGraphic);
    if (word == "shppict" || word == "shprslt")
        return true; // the picture inside is read
    if (isSkippedDestination(word) || ignorable)
        return enter(Destination::Skip);
    return false;
}

bool RtfParser::characterFormatting(QByteArrayView word, std::optional<int> parameter)
{
    CharacterState &c = state().characters;
    const bool on = parameter.value_or(1) != 0;
    const int value = parameter.value_or(0);
    const bool doubleByte = state().doubleByte;
    if (word == "plain") {
        const QString link = c.link;
        c = CharacterState();
        c.font = m_defaultFont;
        c.link = link;
    } else if (word == "b" || (word == "ab" && doubleByte)) {
        c.bold = on;
        c.fontChosen = true;
    } else if (word == "i" || (word == "ai" && doubleByte)) {
        c.italic = on;
        c.fontChosen = true;
    } else if (word == "f" || (word == "af" && doubleByte)) {
        c.font = value;
        c.fontChosen = true;
    } else if (word == "fs" || (word == "afs" && doubleByte)) {
        c.halfPoints = value > 0 ? value : 24;
        c.fontChosen = true;
    } else if (word == "dbch") {
        state().doubleByte = true;
    } else if (word == "loch" || word == "hich") {
        state().doubleByte = false;
    } else if (const int style = underlineStyle(word); style >= 0) {
        c.underline = on ? style : 0;
    } else if (word == "ulnone") {
        c.underline = 0;
    } else if (word == "ulc") {
        c.underlineColor = value;
    } else if (word == "strike") {
        c.strike = on ? TextLineStyle::single : 0;
    } else if (word == "striked") {
        c.strike = on ? TextLineStyle::doubleLine : 0;
    } else if (word == "cf") {
        c.foreground = value;
    } else if (word == "cb" || word == "highlight" || word == "chcbpat") {
        c.background = value;
    } else if (word == "super") {
        c.script = 1;
    } else if (word == "sub") {
        c.script = -1;
    } else if (word == "nosupersub") {
        c.script = 0;
        c.raise = 0;
    } else if (word == "up") {
        c.raise = parameter.value_or(6);
    } else if (word == "dn") {
        c.raise = -parameter.value_or(6);
    } else if (word == "outl") {
        if (!on)
            c.strokeWidth = 0;
        else if (c.strokeWidth == 0)
            c.strokeWidth = 60; // an outline of 3 % of the size, as \strokewidth60 says
    } else if (word == "strokewidth") {
        c.strokeWidth = value;
    } else if (word == "strokec") {
        c.strokeColor = value;
    } else if (word == "shad") {
        c.shadow = on;
    } else if (word == "shadx") {
        c.shadowX = value;
    } else if (word == "shady") {
        c.shadowY = value;
    } else if (word == "shadr") {
        c.shadowRadius = value;
    } else if (word == "shado") {
        c.shadowOpacity = value;
    } else if (word == "shadc") {
        c.shadowColor = value;
    } else {
        return false;
    }
    return true;
}

bool RtfParser::paragraphFormatting(QByteArrayView word, std::optional<int> parameter)
{
    ParagraphState &p = state().paragraph;
    const int value = parameter.value_or(0);
    if (word == "pard")
        p = ParagraphState();
    else if (word == "ql")
        p.alignment = TextAlignment::Left;
    else if (word == "qr")
        p.alignment = TextAlignment::Right;
    else if (word == "qc")
        p.alignment = TextAlignment::Center;
    else if (word == "qj" || word == "qd")
        p.alignment = TextAlignment::Justified;
    else if (word == "li" || word == "lin")
        p.leftIndent = value;
    else if (word == "ri" || word == "rin")
        p.rightIndent = value;
    else if (word == "fi")
        p.firstIndent = value;
    else if (word == "sb")
        p.spaceBefore = value;
    else if (word == "sa")
        p.spaceAfter = value;
    else if (word == "sl")
        p.lineSpacing = value;
    else if (word == "slmult")
        p.lineMultiple = value != 0;
    else if (word == "ls")
        p.listOverride = value;
    else if (word == "ilvl")
        p.listLevel = value;
    else if (word == "pagebb")
        p.pageBreakBefore = parameter.value_or(1) != 0;
    else
        return false;
    return true;
}

void RtfParser::headerControl(QByteArrayView word, std::optional<int> parameter)
{
    if (word == "ansicpg" && parameter && *parameter > 0)
        m_documentCodePage = *parameter;
    else if (word == "mac")
        m_documentCodePage = RtfCodePage::macRoman;
    else if (word == "pc")
        m_documentCodePage = 437;
    else if (word == "pca")
        m_documentCodePage = 850;
    else if (word == "deff" && parameter) {
        m_defaultFont = *parameter;
        for (GroupState &group : m_groups) {
            if (group.characters.font < 0)
                group.characters.font = *parameter;
        }
    }
}

void RtfParser::handleControlSymbol(char symbol)
{
    if (symbol == '*') {
        m_sawDestinationMarker = true;
        return;
    }
    const Destination destination = state().destination;
    if (destination != Destination::Text) {
        if (destination == Destination::FieldInstruction && symbol == '\\')
            m_destinationText += QLatin1Char('\\');
        return;
    }
    switch (symbol) {
    case '~': appendText(QString(QChar(0x00A0))); break;
    case '_': appendText(QString(QChar(0x2011))); break;
    case '-': appendText(QString(QChar(0x00AD))); break;
    case '\n': endParagraph(); break;
    default: break;
    }
}

void RtfParser::handleUnicode(int value)
{
    const char16_t unit = char16_t(value < 0 ? value + 65536 : value);
    m_skipCount = 0;
    if (state().destination == Destination::Text)
        appendText(QString(QChar(unit)));
    else
        m_destinationText += QChar(unit);
    m_skipCount = state().unicodeSkip;
}

void RtfParser::handleBytes(QByteArrayView bytes)
{
    if (m_skipCount > 0) {
        const qsizetype skipped = qMin<qsizetype>(m_skipCount, bytes.size());
        m_skipCount -= int(skipped);
        bytes = bytes.sliced(skipped);
    }
    if (bytes.isEmpty())
        return;
    switch (state().destination) {
    case Destination::Skip:
    case Destination::ListTable:
    case Destination::ListOverrideTable:
        return;
    case Destination::ColorTable:
        for (qsizetype i = bytes.count(';'); i > 0; --i) {
            m_colors.append(m_red || m_green || m_blue
                                ? std::optional<QColor>(QColor(m_red.value_or(0), m_green.value_or(0), m_blue.value_or(0)))
                                : std::nullopt);
            m_red.reset();
            m_green.reset();
            m_blue.reset();
        }
        return;
    case Destination::Picture:
        if (m_picture)
            m_picture->hex += bytes.toByteArray();
        return;
    case Destination::FontTable:
        m_pendingCodePage = currentCodePage();
        for (char byte : bytes) {
            if (byte == ';')
                finishFontEntry();
            else
                m_pendingBytes += byte;
        }
        return;
    default:
        break;
    }
    const int codePage = currentCodePage();
    if (!m_pendingBytes.isEmpty() && codePage != m_pendingCodePage)
        flushBytes();
    m_pendingCodePage = codePage;
    m_pendingBytes += bytes.toByteArray();
}

int RtfParser::currentCodePage() const
{
    const GroupState &group = m_groups.back();
    if (group.destination == Destination::FontTable) {
        const int fromCharset = m_fontEntryCharset >= 0 ? RtfCodePage::fromCharset(m_fontEntryCharset) : 0;
        return fromCharset ? fromCharset : m_documentCodePage;
    }
    const auto font = m_fonts.constFind(group.characters.font);
    if (font != m_fonts.cend() && font->codePage)
        return font->codePage;
    return m_documentCodePage;
}

void RtfParser::flushBytes()
{
    if (m_pendingBytes.isEmpty())
        return;
    const QString text = RtfCodePage::decode(m_pendingBytes, m_pendingCodePage);
    m_pendingBytes.clear();
    if (state().destination == Destination::Text)
        appendText(text);
    else
        m_destinationText += text;
}

TextAttributes RtfParser::currentAttributes() const
{
    const CharacterState &c = m_groups.back().characters;
    TextAttributes attributes;
    const double pointSize = c.halfPoints / 2.0;
    if (c.fontChosen || c.font >= 0) {
        FontDescriptor font;
        font.family = m_fonts.value(c.font).name;
        font.pointSize = pointSize;
        font.bold = c.bold;
        font.italic = c.italic;
        attributes.font = font;
    }
    attributes.foreground = color(c.foreground);
    attributes.background = color(c.background);
    if (c.underline) {
        attributes.underlineStyle = c.underline;
        attributes.underlineColor = color(c.underlineColor);
    }
    if (c.strike)
        attributes.strikethroughStyle = c.strike;
    if (c.raise != 0)
        attributes.baselineOffset = c.raise / 2.0;
    else if (c.script != 0)
        attributes.baselineOffset = c.script * pointSize / 3.0;
    if (c.strokeWidth != 0) {
        attributes.strokeWidth = c.strokeWidth / 20.0;
        attributes.strokeColor = color(c.strokeColor);
    }
    if (c.shadow) {
        QColor shadowColor = color(c.shadowColor).value_or(QColor(Qt::black));
        shadowColor.setAlpha(qRound(qBound(0, c.shadowOpacity, 100) * 255 / 100.0));
        attributes.shadow = TextShadow{shadowColor, QPointF(c.shadowX / 20.0, c.shadowY / 20.0), c.shadowRadius / 20.0};
    }
    if (!c.link.isEmpty())
        attributes.link = QUrl(c.link);
    return attributes;
}

std::optional<QColor> RtfParser::color(int index) const
{
    if (index <= 0 || index >= m_colors.size())
        return std::nullopt;
    return m_colors.at(index);
}

void RtfParser::appendText(const QString &text)
{
    if (text.isEmpty())
        return;
    if (m_pendingCellTab) {
        m_pendingCellTab = false;
        appendText(QStringLiteral("\t"));
    }
    m_lastParagraph = state().paragraph;
    if (!m_graphicName.isEmpty() && depth() == m_graphicDepth) {
        // The character after a \NeXTGraphic group stands for the attachment.
        const QString name = std::exchange(m_graphicName, QString());
        TextAttachmentPointer attachment;
        if (m_attachments)
            if (const std::optional<QByteArray> bytes = m_attachments(name))
                attachment = PictureAttachment::fromBytes(*bytes);
        if (attachment)
            appendAttachment(attachment);
        if (text.size() > 1)
            appendText(text.mid(1));
        return;
    }
    m_text.append(text, currentAttributes());
}

void RtfParser::appendAttachment(const TextAttachmentPointer &attachment)
{
    TextAttributes attributes = currentAttributes();
    attributes.attachment = attachment;
    m_lastParagraph = state().paragraph;
    m_text.append(QString(QChar(0xFFFC)), attributes);
}

void RtfParser::endParagraph(std::optional<BreakType> breakType)
{
    m_pendingCellTab = false;
    TextAttributes attributes = currentAttributes();
    if (breakType)
        attributes.breakType = *breakType;
    m_lastParagraph = state().paragraph;
    const ParagraphState paragraph = state().paragraph;
    if (paragraph.pageBreakBefore && m_paragraphStart > 0) {
        m_text.modifyAttributes({m_paragraphStart - 1, 1}, [](TextAttributes &a) { a.breakType = BreakType::Page; });
    }
    m_text.append(QStringLiteral("\n"), attributes);
    finishParagraphStyle(m_text.length());
}

void RtfParser::finishParagraphStyle(qsizetype end)
{
    if (end <= m_paragraphStart)
        return;
    if (const std::optional<ParagraphStyle> style = paragraphStyle(m_lastParagraph)) {
        m_text.modifyAttributes({m_paragraphStart, end - m_paragraphStart},
                                [&style](TextAttributes &a) { a.paragraphStyle = style; });
    }
    m_paragraphStart = end;
}

std::optional<ParagraphStyle> RtfParser::paragraphStyle(const ParagraphState &p) const
{
    ParagraphStyle style;
    style.alignment = p.alignment;
    style.spacingBefore = p.spaceBefore / 20.0;
    style.spacingAfter = p.spaceAfter / 20.0;
    if (p.lineSpacing != 0) {
        if (p.lineMultiple && p.lineSpacing > 0)
            style.lineHeightMultiple = p.lineSpacing / 240.0;
        else if (!p.lineMultiple)
            style.lineSpacing = qAbs(p.lineSpacing) / 20.0;
    }
    style.headIndent = p.leftIndent / 20.0;
    style.firstLineHeadIndent = (p.leftIndent + p.firstIndent) / 20.0;
    style.tailIndent = p.rightIndent > 0 ? -p.rightIndent / 20.0 : 0.0;
    if (p.listOverride > 0)
        style.textLists = m_lists.textLists(p.listOverride, p.listLevel);
    if (style == ParagraphStyle())
        return std::nullopt;
    return style;
}

void RtfParser::fontTableControl(QByteArrayView word, int parameter)
{
    if (word == "f") {
        if (m_fontEntry >= 0 && !m_fontName.isEmpty())
            finishFontEntry();
        m_fontEntry = parameter;
        m_fontEntryCharset = -1;
    } else if (word == "fcharset") {
        m_fontEntryCharset = parameter;
    } else if (word == "u") {
        handleUnicode(parameter);
    }
}

void RtfParser::finishFontEntry()
{
    if (!m_pendingBytes.isEmpty()) {
        m_fontName += RtfCodePage::decode(m_pendingBytes, currentCodePage());
        m_pendingBytes.clear();
    }
    m_fontName += std::exchange(m_destinationText, QString());
    if (m_fontEntry >= 0 && !m_fonts.contains(m_fontEntry)) {
        const int charsetPage = m_fontEntryCharset >= 0 ? RtfCodePage::fromCharset(m_fontEntryCharset) : 0;
        m_fonts.insert(m_fontEntry, FontEntry{m_fontName.trimmed(), charsetPage});
    }
    m_fontName.clear();
    m_fontEntry = -1;
    m_fontEntryCharset = -1;
}

void RtfParser::colorTableControl(QByteArrayView word, int parameter)
{
    const int component = qBound(0, parameter, 255);
    if (word == "red")
        m_red = component;
    else if (word == "green")
        m_green = component;
    else if (word == "blue")
        m_blue = component;
}

void RtfParser::pictureControl(QByteArrayView word, int parameter)
{
    if (!m_picture)
        return;
    if (word == "pngblip" || word == "jpegblip")
        m_picture->readable = true;
    else if (word == "picwgoal")
        m_picture->goalWidth = parameter;
    else if (word == "pichgoal")
        m_picture->goalHeight = parameter;
    else if (word == "picw")
        m_picture->width = parameter;
    else if (word == "pich")
        m_picture->height = parameter;
    else if (word == "picscalex")
        m_picture->scaleX = parameter;
    else if (word == "picscaley")
        m_picture->scaleY = parameter;
}

void RtfParser::finishPicture()
{
    PictureState picture = std::move(*m_picture);
    m_picture.reset();
    if (!picture.readable)
        return;
    QByteArray bytes = picture.binary;
    if (bytes.isEmpty()) {
        picture.hex.removeIf([](char c) { return !std::isxdigit(uchar(c)); });
        bytes = QByteArray::fromHex(picture.hex);
    }
    QSizeF size;
    if (picture.goalWidth > 0 && picture.goalHeight > 0) {
        const double scaleX = picture.scaleX > 0 ? picture.scaleX / 100.0 : 1.0;
        const double scaleY = picture.scaleY > 0 ? picture.scaleY / 100.0 : 1.0;
        size = QSizeF(picture.goalWidth / 20.0 * scaleX, picture.goalHeight / 20.0 * scaleY);
    }
    // The \pict group carries the formatting of the text around it.
    state().destination = Destination::Text;
    if (const TextAttachmentPointer attachment = PictureAttachment::fromBytes(bytes, size))
        appendAttachment(attachment);
}

} // namespace

bool RtfReader::read(const QByteArray &rtf, StyledText *text, QString *error, const AttachmentLoader &attachments)
{
    QString message;
    const QByteArray start = rtf.left(16).trimmed();
    if (!start.startsWith("{\\rtf")) {
        message = QStringLiteral("The file is not an RTF document.");
    } else {
        RtfParser parser(rtf, attachments);
        if (parser.parse(&message)) {
            *text = parser.takeText();
            return true;
        }
    }
    if (error)
        *error = message;
    return false;
}
