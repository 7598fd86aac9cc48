#pragma once

#include "docx/reader/DocXParagraphFormat.h"
#include "docx/reader/DocXRunFormat.h"
#include "textsystem/StyledText.h"
#include "textsystem/StyledTextBudget.h"

#include <QSet>
#include <QString>
#include <QUrl>
#include <optional>
#include <pugixml.hpp>
#include <vector>

class DocXNumbering;
class DocXPictureLoader;
class DocXStyleSheet;
class DocXThemeFonts;
class PackageRelationships;

// Turns the <w:body> of a main document part into styled text: paragraphs
// end in "\n" (the last one in nothing), table rows become lines with the
// cells separated by tabs, line breaks are U+2028, page and column breaks
// end a paragraph marked with the break, pictures are attachments on
// U+FFFC. Insertions are read, deletions skipped; content controls, smart
// tags and custom XML show their content; hyperlinks come from <w:hyperlink>
// and HYPERLINK fields. Headers, footers, notes and comments are not read.
class DocXBodyReader
{
public:
    struct Sources {
        const DocXStyleSheet &styles;
        const DocXNumbering &numbering;
        const DocXThemeFonts &theme;
        const PackageRelationships &relationships;
        // Fonts the font table gives the symbol character set: their glyphs
        // stand at byte codes, not at characters.
        const QSet<QString> &symbolFonts;
        DocXPictureLoader &pictures;
        // Charged as the text grows; reading stops when it runs out.
        StyledTextBudget &textBudget;
    };

    // Elements nested deeper than this are skipped with their content.
    static constexpr int maximumDepth = 200;
    // Paragraphs (table cells' included) in a document, at most: each costs
    // about a microsecond, and a few bytes of XML make one.
    static constexpr qsizetype maximumParagraphs = 1000000;

    explicit DocXBodyReader(const Sources &sources);

    // The text of `body`; nullopt when it holds more than maximumParagraphs
    // paragraphs (hasTooManyParagraphs()) or outgrows the text budget.
    std::optional<StyledText> read(pugi::xml_node body);
    bool hasTooManyParagraphs() const { return m_paragraphs > maximumParagraphs; }

private:
    struct Field {
        QString instruction;
        bool showingResult = false;
        std::optional<QUrl> link; // its own target, else that of the field around it
    };

    void readBlocks(pugi::xml_node parent, int depth);
    void readTable(pugi::xml_node table, int depth);
    void readParagraph(pugi::xml_node paragraph, int depth);
    void readInline(pugi::xml_node parent, int depth);
    void readRun(pugi::xml_node run, int depth);
    void readRunContent(pugi::xml_node element, const DocXRunFormat &format);
    void appendSymbol(pugi::xml_node sym, const DocXRunFormat &format);
    bool isSymbolFont(const QString &family) const;
    void appendSymbolFontText(const QString &text, const DocXRunFormat &format);
    void readRuby(pugi::xml_node ruby, int depth);
    void readFieldCharacter(pugi::xml_node fieldCharacter);
    void readDrawing(pugi::xml_node drawing, const DocXRunFormat &format);
    void readVmlPicture(pugi::xml_node container, const DocXRunFormat &format);

    void beginParagraph(const DocXParagraphFormat &direct, pugi::xml_node markProperties);
    void endParagraph();
    void breakParagraph(BreakType type, const DocXRunFormat &format);
    void emitPendingSeparator();
    void appendText(const QString &text, const DocXRunFormat &format);
    void appendPicture(const TextAttachmentPointer &picture, const DocXRunFormat &format);
    TextAttributes attributesFor(const DocXRunFormat &format, bool eastAsian) const;
    bool showsText() const;
    bool outOfBudget() const;
    std::optional<QUrl> currentLink() const;
    std::optional<QUrl> innermostFieldLink() const;

    Sources m_sources;
    StyledText m_text;
    qsizetype m_paragraphs = 0;

    DocXRunFormat m_paragraphRunBase; // defaults and the paragraph style's run properties
    std::optional<ParagraphStyle> m_paragraphStyle;
    TextAttributes m_markAttributes;   // of the paragraph's own terminator
    bool m_pageBreakBefore = false;

    // The separator owed after the previous paragraph, put in only when more
    // text follows: "\n" with the paragraph mark's attributes, or the tab
    // between two table cells.
    std::optional<TextAttributes> m_pendingTerminator;
    bool m_nextIsCell = false;

    std::vector<Field> m_fields;
    qsizetype m_fieldsInInstruction = 0; // fields whose result has not begun: their text is hidden
    std::optional<QUrl> m_hyperlink;
    RubyAnnotationPointer m_ruby;
};
