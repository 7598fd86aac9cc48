#pragma once

#include "platform/WindowsCodePage.h"
#include "textsystem/PictureCache.h"
#include "textsystem/StyledText.h"
#include "textsystem/rtf/RtfAttachmentLoader.h"
#include "textsystem/rtf/RtfListTable.h"
#include "textsystem/rtf/RtfTokenizer.h"

#include <QHash>
#include <QList>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

// What the characters of the group being read belong to.
enum class RtfDestination {
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
    ShapeInstruction,  // \shpinst: the shape's properties
    ShapePropertyName, // \sn
    ShapePicture,      // \sv of the "pib" property: the shape's picture
};

// The fonts a run keeps apart: \loch, \hich and \dbch choose which one the
// following characters use; \rtlch makes \af and its kin change the fonts
// of right-to-left text, which this reader does not show.
enum class RtfFontSlot { Latin, HighAnsi, DoubleByte, Complex };

struct RtfCharacterState {
    std::array<int, 4> fonts = {-1, -1, -1, -1}; // by RtfFontSlot
    RtfFontSlot textSlot = RtfFontSlot::Latin;
    RtfFontSlot associatedSlot = RtfFontSlot::Latin; // what \af, \ab, \ai, \afs change
    int halfPoints = 24;
    bool fontChosen = false; // \f, \fs, \b or \i seen: the run carries a font
    bool bold = false;
    bool italic = false;
    // \ab, \ai and \afs after \dbch: East Asian text's own.
    std::optional<int> doubleByteHalfPoints;
    std::optional<bool> doubleByteBold;
    std::optional<bool> doubleByteItalic;
    int underline = 0;
    int strike = 0;
    int foreground = 0; // colour table indices; 0 is "auto"
    int background = 0;
    int underlineColor = 0;
    int raise = 0;       // half-points, \up and \dn
    int script = 0;      // 1 \super, -1 \sub
    int strokeWidth = 0; // twentieths of a percent of the font size
    int strokeColor = 0;
    bool shadow = false;
    int shadowX = 0, shadowY = 0, shadowRadius = 0; // twips
    int shadowOpacity = 100;
    int shadowColor = 0;
    QString link;
};

struct RtfParagraphState {
    TextAlignment alignment = TextAlignment::Natural;
    int leftIndent = 0, rightIndent = 0, firstIndent = 0; // twips
    int spaceBefore = 0, spaceAfter = 0;
    int lineSpacing = 0;
    bool lineMultiple = false;
    int listOverride = 0;
    int listLevel = 0;
    bool pageBreakBefore = false;
    bool inTable = false; // \intbl
};

// Reads one RTF file into styled text. Control words are looked up in the
// parser's own table (RtfParserControlWords.cpp, with what each word does)
// and handled by kind: flags and values change the state of the group,
// symbols stand for a character, destinations say what the group's content is.
class RtfParser
{
public:
    // Groups nested deeper than `maximumDepth` make the file unreadable.
    // Pictures are decoded through `pictures`, the document's.
    RtfParser(const QByteArray &rtf, const RtfAttachmentLoader &attachments, int maximumDepth, PictureCache &pictures);

    // False with *error when the groups nest too deeply.
    bool parse(QString *error);
    StyledText takeText() { return std::move(m_text); }

    // The handlers the control-word table names, by kind. A flag or value
    // handler gets the word's parameter (its default when it has none).
    using Handler = void (RtfParser::*)(int parameter);

    // One entry of the table of control words.
    struct ControlWord {
        enum class Kind {
            Flag,        // switches something; a parameter of 0 switches it off
            Value,       // sets a number; `parameter` when the word has none
            Symbol,      // stands for `symbol` in the text
            Destination, // says what the group's content is
        };

        Kind kind = Kind::Flag;
        Handler handler = nullptr; // flags, values and destinations
        int parameter = 0;
        char16_t symbol = 0;
        // The destinations in which a flag or value applies (bits of RtfDestination).
        quint32 destinations = 0;

        bool appliesIn(RtfDestination destination) const { return destinations & (1u << int(destination)); }
    };

    // The entry of control word `name`; null for a word the parser does not know.
    static const ControlWord *controlWord(QByteArrayView name);

    // Text and its formatting.
    void plain(int);
    void bold(int on);
    void italic(int on);
    void font(int number);
    void fontSize(int halfPoints);
    void associatedFont(int number);
    void associatedBold(int on);
    void associatedItalic(int on);
    void associatedFontSize(int halfPoints);
    void lowAnsiText(int);
    void highAnsiText(int);
    void doubleByteText(int);
    void rightToLeftText(int);
    void leftToRightText(int);
    void underlineStyle(int style);
    void underlineNone(int);
    void underlineColor(int index);
    void strike(int style);
    void foreground(int index);
    void background(int index);
    void superscript(int);
    void subscript(int);
    void noSuperSub(int);
    void raise(int halfPoints);
    void lower(int halfPoints);
    void outline(int on);
    void strokeWidth(int value);
    void strokeColor(int index);
    void shadow(int on);
    void shadowX(int twips);
    void shadowY(int twips);
    void shadowRadius(int twips);
    void shadowOpacity(int percent);
    void shadowColor(int index);
    void unicodeCharacter(int value);
    void unicodeSkip(int count);

    // Paragraphs, breaks and tables.
    void paragraphDefaults(int);
    void alignLeft(int);
    void alignRight(int);
    void alignCenter(int);
    void alignJustified(int);
    void leftIndent(int twips);
    void rightIndent(int twips);
    void firstLineIndent(int twips);
    void spaceBefore(int twips);
    void spaceAfter(int twips);
    void lineSpacing(int value);
    void lineMultiple(int on);
    void listOverride(int index);
    void listLevel(int level);
    void pageBreakBefore(int on);
    void inTable(int on);
    void paragraphEnd(int);
    void pageBreak(int);
    void columnBreak(int);
    void cellEnd(int);
    void rowEnd(int);

    // The document's header.
    void codePage(int page);
    void macCodePage(int);
    void pcCodePage(int);
    void pcaCodePage(int);
    void defaultFont(int number);
    void fontCharset(int charset);
    void red(int value);
    void green(int value);
    void blue(int value);

    // Pictures, RTFD attachments and shapes.
    void pictureFormat(int readable);
    void pictureGoalWidth(int twips);
    void pictureGoalHeight(int twips);
    void pictureScaleX(int percent);
    void pictureScaleY(int percent);
    void graphicWidth(int twips);
    void graphicHeight(int twips);
    void shapeLeft(int twips);
    void shapeRight(int twips);
    void shapeTop(int twips);
    void shapeBottom(int twips);

    // Destinations: each decides from where it stands whether to read the group.
    void enterSkip(int);
    void enterFontTable(int);
    void enterColorTable(int);
    void enterListTable(int);
    void enterListOverrideTable(int);
    void enterLevelText(int);
    void enterPicture(int);
    void enterField(int);
    void enterFieldInstruction(int);
    void enterFieldResult(int);
    void enterNeXTGraphic(int);
    void enterShape(int);
    void enterShapeInstruction(int);
    void enterShapePropertyName(int);
    void enterShapePropertyValue(int);
    void enterShapeResult(int);
    void enterPictureGroup(int);

private:
    // Measures (twips, half-points, percents) bounded far beyond any page,
    // so that sums, differences and negations of two stay within int.
    static constexpr int measureLimit = 1 << 24;
    static int measure(int value) { return std::clamp(value, -measureLimit, measureLimit); }

    // The group a list-table control word opened.
    enum class ListGroup { None, List, Level, Override };
    struct GroupState {
        RtfDestination destination = RtfDestination::Text;
        ListGroup listGroup = ListGroup::None;
        int unicodeSkip = 1;
        RtfCharacterState characters;
        RtfParagraphState paragraph;
    };
    static constexpr int symbolCharsetNumber = 2; // \fcharset2
    struct FontEntry {
        QString name;
        int codePage = 0;
        bool symbolCharset = false; // \fcharset2: its glyphs stand at byte codes, not characters
        bool isSymbolFont() const;
    };
    struct Field {
        int depth = 0;
        QString instruction;
    };
    struct PictureState {
        int depth = 0;
        QByteArray hex;
        QByteArray binary;
        bool readable = false;             // PNG or JPEG
        int goalWidth = 0, goalHeight = 0; // twips
        int scaleX = 100, scaleY = 100;
    };
    // An RTFD attachment group {\NeXTGraphic NAME \widthN \heightN}.
    struct Graphic {
        QString name;
        int width = 0, height = 0; // twips
        bool closed = false;       // the group ended: the attachment is due
        int depth = 0;             // its own group, then the group its attachment character is in
    };
    struct Shape {
        int depth = 0;
        int left = 0, right = 0, top = 0, bottom = 0; // twips
        QString propertyName;
        bool hasPicture = false;
    };
    // A \par inside a table cell: it ends a line only when the cell goes on.
    struct CellParagraphEnd {
        TextAttributes terminator;
        RtfParagraphState paragraph;
    };

    GroupState &state() { return m_groups.back(); }
    const GroupState &state() const { return m_groups.back(); }
    RtfCharacterState &characters() { return m_groups.back().characters; }
    RtfParagraphState &paragraph() { return m_groups.back().paragraph; }
    int depth() const { return int(m_groups.size()); }
    bool inDestination(RtfDestination destination) const { return state().destination == destination; }

    bool handleGroupStart(QString *error);
    void handleGroupEnd();
    void endDestination(int closing);
    void handleControlWord(const RtfToken &token);
    void handleControlSymbol(char symbol);
    void handleBytes(QByteArrayView bytes);
    void enter(RtfDestination destination);
    void enterCollecting(RtfDestination destination);
    void listTableWord(QByteArrayView word, int parameter);

    int currentCodePage() const;
    int shownFont(const RtfCharacterState &c) const;
    void flushBytes();
    void appendText(const QString &text, bool outOfSymbolFont = false);
    const FontEntry *shownSymbolFont() const;
    void appendSymbolText(const QString &codes, const FontEntry &font);
    void appendAttachment(const TextAttachmentPointer &attachment);
    void appendGraphic();
    TextAttachmentPointer graphicAttachment(const QString &name, QSizeF size);
    void endParagraph(std::optional<BreakType> breakType = std::nullopt);
    void flushCellParagraphEnd();
    void finishParagraphStyle(qsizetype end, const RtfParagraphState &paragraph);
    void finishPicture();
    void finishFontEntry();
    TextAttributes currentAttributes() const;
    std::optional<QColor> color(int index) const;
    std::optional<ParagraphStyle> paragraphStyle(const RtfParagraphState &paragraph) const;

    RtfTokenizer m_tokenizer;
    const RtfAttachmentLoader &m_attachments;
    const int m_maximumDepth;
    std::vector<GroupState> m_groups;
    StyledText m_text;
    PictureCache &m_pictures;

    int m_documentCodePage = WindowsCodePage::ansi;
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
    std::optional<Shape> m_shape;
    QString m_destinationText; // of \fldinst, \leveltext, \NeXTGraphic and \sn
    int m_destinationDepth = 0;
    std::optional<Graphic> m_graphic; // the open \NeXTGraphic group, then its attachment
    QHash<QString, TextAttachmentPointer> m_files; // attachment files that are no picture, by name

    QByteArray m_pendingBytes;
    int m_pendingCodePage = 0;
    int m_skipCount = 0; // characters still to skip after \uN
    bool m_pendingCellTab = false;
    std::optional<CellParagraphEnd> m_cellParagraphEnd;
    qsizetype m_paragraphStart = 0;
    RtfParagraphState m_lastParagraph; // the paragraph properties in force at the last text
    bool m_sawDestinationMarker = false;
};
