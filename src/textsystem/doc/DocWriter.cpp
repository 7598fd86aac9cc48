#include "textsystem/doc/DocWriter.h"

#include "platform/CompoundFileWriter.h"
#include "platform/SafeSave.h"
#include "textsystem/doc/DocBytes.h"
#include "textsystem/doc/DocCharacterProperties.h"
#include "textsystem/doc/DocFib.h"
#include "textsystem/doc/DocFkpWriter.h"
#include "textsystem/doc/DocFontTable.h"
#include "textsystem/doc/DocListWriter.h"
#include "textsystem/doc/DocPictureWriter.h"
#include "textsystem/doc/DocSprm.h"

#include <cmath>

namespace {

using DocBytes::append16;
using DocBytes::append32;
using DocBytes::put16;
using DocBytes::put32;

constexpr quint32 textStart = 0x400;
constexpr int pageSize = 512;
// Streams under this size would live in the container's mini stream, which
// some readers do not look into for the main stream.
constexpr int minimumMainStreamSize = 4096;
constexpr quint8 fieldHyperlink = 88;
constexpr char16_t pictureCharacter = 0x01;
const QString defaultFontName = QStringLiteral("Times New Roman");
constexpr int normalHalfPoints = 24;

void padTo(QByteArray &bytes, qsizetype multiple)
{
    bytes.append((multiple - bytes.size() % multiple) % multiple, '\0');
}

// A length in points as twips, clamped to a signed 16-bit operand; nothing
// for a value that is not finite.
std::optional<qint16> twips(double points)
{
    if (!std::isfinite(points))
        return std::nullopt;
    return qint16(qBound(-31680.0, std::round(points * 20.0), 31680.0));
}

quint32 colorRef(const QColor &color)
{
    const QRgb rgb = color.rgb();
    return quint32(qRed(rgb)) | quint32(qGreen(rgb)) << 8 | quint32(qBlue(rgb)) << 16;
}

int underlineKind(int style)
{
    using namespace TextLineStyle;
    const int pattern = style & 0x700;
    const bool thickLine = (style & 0xF) == thick;
    if (isDouble(style))
        return 3;
    if (style & byWord)
        return 2;
    switch (pattern) {
    case patternDot:
        return thickLine ? 20 : 4;
    case patternDash:
        return thickLine ? 23 : 7;
    case patternDashDot:
        return thickLine ? 25 : 9;
    case patternDashDotDot:
        return thickLine ? 26 : 10;
    default:
        return thickLine ? 6 : 1;
    }
}

// Builds the streams of one document.
class DocBuilder
{
public:
    explicit DocBuilder(const StyledText &text) : m_source(text) { m_fonts << defaultFontName; }

    QByteArray build()
    {
        addText();
        return container();
    }

private:
    struct CharacterRun {
        qint64 cpStart;
        qint64 cpEnd;
        QByteArray chpx;
    };
    struct Field {
        qint64 cp;
        quint8 ch;
        quint8 info;
    };

    void addText()
    {
        const QList<TextParagraph> paragraphs = m_source.paragraphs();
        for (const TextParagraph &paragraph : paragraphs)
            addParagraph(paragraph);
        // The document ends with a paragraph mark of its own: after a final
        // terminator there is one more, empty paragraph.
        if (paragraphs.isEmpty() || paragraphs.last().enclosing.length > paragraphs.last().content.length)
            addParagraph(TextParagraph{{m_source.length(), 0}, {m_source.length(), 0}});
    }

    void addParagraph(const TextParagraph &paragraph)
    {
        m_source.forEachValue(paragraph.content, &TextAttributes::link,
                              [&](const std::optional<QUrl> &link, TextRange range) {
                                  if (link && !link->isEmpty())
                                      addLink(*link, range);
                                  else
                                      addRuns(range);
                              });
        const qsizetype markAt = paragraph.enclosing.length > paragraph.content.length
                                     ? paragraph.content.end()
                                     : qMax<qsizetype>(paragraph.content.end() - 1, 0);
        const TextAttributes markAttributes = m_source.attributesAt(markAt);
        addCharacters(QStringLiteral("\r"), characterProperties(markAttributes));
        const TextAttributes first = m_source.attributesAt(paragraph.content.isEmpty() ? markAt
                                                                                        : paragraph.content.location);
        m_paragraphEnds << std::pair{qint64(m_text.size()), paragraphProperties(first.paragraphStyle)};
    }

    void addRuns(TextRange range)
    {
        m_source.forEachRun(range, [&](const TextAttributes &attributes, TextRange run) {
            const QStringView characters = QStringView(m_source.string()).sliced(run.location, run.length);
            const QByteArray chpx = characterProperties(attributes);
            if (!attributes.attachment) {
                addCharacters(convert(characters), chpx);
                return;
            }
            qsizetype from = 0;
            for (qsizetype i = 0; i < characters.size(); ++i) {
                if (characters[i] != QChar::ObjectReplacementCharacter)
                    continue;
                addCharacters(convert(characters.sliced(from, i - from)), chpx);
                addPicture(*attributes.attachment, chpx);
                from = i + 1;
            }
            addCharacters(convert(characters.sliced(from)), chpx);
        });
    }

    // A picture is one special character naming its place in the Data stream.
    void addPicture(const TextAttachment &attachment, QByteArray chpx)
    {
        const std::optional<quint32> offset = m_pictures.add(attachment);
        if (!offset)
            return;
        DocSprm::append(chpx, DocSprm::cFSpec, 1);
        DocSprm::append(chpx, DocSprm::cPicLocation, *offset);
        addCharacters(QString(QChar(pictureCharacter)), chpx);
    }

    void addLink(const QUrl &link, TextRange range)
    {
        const QByteArray special = [] {
            QByteArray chpx;
            DocSprm::append(chpx, DocSprm::cFSpec, 1);
            return chpx;
        }();
        const TextAttributes first = m_source.attributesAt(range.location);
        m_fields << Field{m_text.size(), 0x13, fieldHyperlink};
        addCharacters(QStringLiteral("\x13"), special);
        QString target = link.toString(QUrl::FullyEncoded);
        target.replace(u'"', QLatin1String("%22"));
        addCharacters(QStringLiteral(" HYPERLINK \"%1\" ").arg(target), characterProperties(first));
        m_fields << Field{m_text.size(), 0x14, 0xFF};
        addCharacters(QStringLiteral("\x14"), special);
        addRuns(range);
        m_fields << Field{m_text.size(), 0x15, 0x80};
        addCharacters(QStringLiteral("\x15"), special);
    }

    // The text of a run as Word stores it: line separators as line breaks,
    // control characters and stray attachment characters left out.
    static QString convert(QStringView characters)
    {
        QString out;
        out.reserve(characters.size());
        for (QChar c : characters) {
            if (c == QChar::LineSeparator)
                out.append(QChar(0x0B));
            else if (c == u'\t' || c == u'\f')
                out.append(c);
            else if (c == QChar::ObjectReplacementCharacter)
                continue;
            else if (c.unicode() >= 0x20 && !(c.unicode() >= 0x7F && c.unicode() < 0xA0))
                out.append(c);
        }
        return out;
    }

    void addCharacters(const QString &characters, const QByteArray &chpx)
    {
        if (characters.isEmpty())
            return;
        const qint64 start = m_text.size();
        m_text += characters;
        if (!m_characterRuns.isEmpty() && m_characterRuns.last().chpx == chpx)
            m_characterRuns.last().cpEnd = m_text.size();
        else
            m_characterRuns << CharacterRun{start, qint64(m_text.size()), chpx};
    }

    quint16 fontIndex(const QString &name)
    {
        if (name.isEmpty())
            return 0;
        qsizetype index = m_fonts.indexOf(name);
        if (index < 0) {
            if (m_fonts.size() >= 0x7FFF)
                return 0;
            m_fonts << name;
            index = m_fonts.size() - 1;
        }
        return quint16(index);
    }

    QByteArray characterProperties(const TextAttributes &attributes)
    {
        using namespace DocSprm;
        QByteArray chpx;
        if (attributes.font) {
            const FontDescriptor &font = *attributes.font;
            const quint16 index = fontIndex(font.family.isEmpty() ? font.faceName : font.family);
            append(chpx, cRgFtc0, index);
            append(chpx, cRgFtc1, index);
            append(chpx, cRgFtc2, index);
            if (std::isfinite(font.pointSize) && font.pointSize > 0)
                append(chpx, cHps, quint16(qBound(2.0, std::round(font.pointSize * 2), 3276.0)));
            if (font.bold)
                append(chpx, cFBold, 1);
            if (font.italic)
                append(chpx, cFItalic, 1);
        }
        if (attributes.underlineStyle && *attributes.underlineStyle != TextLineStyle::none)
            append(chpx, cKul, underlineKind(*attributes.underlineStyle));
        if (attributes.strikethroughStyle && *attributes.strikethroughStyle != TextLineStyle::none) {
            const bool doubled = TextLineStyle::isDouble(*attributes.strikethroughStyle);
            append(chpx, doubled ? cFDStrike : cFStrike, 1);
        }
        if (attributes.foreground && attributes.foreground->isValid()) {
            const int index = DocCharacterProperties::indexOfColor(*attributes.foreground);
            if (index > 0)
                append(chpx, cIco, quint32(index));
            append(chpx, cCv, colorRef(*attributes.foreground));
        }
        if (attributes.background && attributes.background->isValid() && attributes.background->alpha() > 0) {
            QByteArray shading;
            append32(shading, 0xFF000000); // automatic foreground
            append32(shading, colorRef(*attributes.background));
            append16(shading, 0); // clear pattern: the background shows
            appendVariable(chpx, cShd, shading);
        }
        if (attributes.baselineOffset && std::isfinite(*attributes.baselineOffset) && *attributes.baselineOffset != 0)
            append(chpx, cIss, *attributes.baselineOffset > 0 ? 1 : 2);
        return chpx;
    }

    QByteArray paragraphProperties(const std::optional<ParagraphStyle> &style)
    {
        using namespace DocSprm;
        QByteArray papx(2, '\0'); // style 0, Normal
        if (!style)
            return papx;
        if (const auto [override, level] = m_lists.add(style->textLists); override > 0) {
            append(papx, pIlvl, level);
            append(papx, pIlfo, override);
        }
        int justification = -1;
        switch (style->alignment) {
        case TextAlignment::Natural:
        case TextAlignment::Left:
            break; // left is every paragraph's own: readers take it for unset

        case TextAlignment::Center:
            justification = 1;
            break;
        case TextAlignment::Right:
            justification = 2;
            break;
        case TextAlignment::Justified:
            justification = 3;
            break;
        }
        if (justification >= 0) {
            append(papx, pJc80, quint32(justification));
            append(papx, pJc, quint32(justification));
        }
        const auto head = twips(style->headIndent);
        if (head && *head) {
            append(papx, pDxaLeft80, quint16(*head));
            append(papx, pDxaLeft, quint16(*head));
        }
        const auto first = twips(style->firstLineHeadIndent - style->headIndent);
        if (first && *first) {
            append(papx, pDxaLeft180, quint16(*first));
            append(papx, pDxaLeft1, quint16(*first));
        }
        const auto tail = twips(-style->tailIndent);
        if (style->tailIndent < 0 && tail && *tail > 0) {
            append(papx, pDxaRight80, quint16(*tail));
            append(papx, pDxaRight, quint16(*tail));
        }
        const auto before = twips(style->spacingBefore);
        if (before && *before > 0)
            append(papx, pDyaBefore, quint16(*before));
        const auto after = twips(style->spacingAfter);
        if (after && *after > 0)
            append(papx, pDyaAfter, quint16(*after));
        if (std::isfinite(style->lineHeightMultiple) && style->lineHeightMultiple > 0) {
            const quint32 line = quint32(qBound(1.0, std::round(style->lineHeightMultiple * 240), 31680.0));
            if (line != 240) // single spacing is every paragraph's own
                append(papx, pDyaLine, line | (1u << 16));
        }
        return papx;
    }

    QByteArray styleSheet() const
    {
        QByteArray sheet;
        constexpr int styleCount = 15;
        append16(sheet, 18); // header size
        append16(sheet, styleCount);
        append16(sheet, 10); // fixed part of each style
        append16(sheet, 1);  // built-in names written
        append16(sheet, 0x5B);
        append16(sheet, styleCount);
        append16(sheet, 0);
        append16(sheet, 0); // default fonts: the table's first
        append16(sheet, 0);
        append16(sheet, 0);
        for (int istd = 0; istd < styleCount; ++istd) {
            QByteArray std;
            if (istd == 0)
                std = normalStyle();
            else if (istd == 10)
                std = defaultParagraphFontStyle();
            append16(sheet, quint16(std.size()));
            sheet += std;
        }
        return sheet;
    }

    static QByteArray styleHeader(quint16 sti, quint16 kind, quint16 upxCount, quint16 next, const QString &name)
    {
        QByteArray std;
        append16(std, sti);
        append16(std, quint16(kind | (0xFFF << 4))); // no base style
        append16(std, quint16(upxCount | (next << 4)));
        append16(std, 0);
        append16(std, 0);
        append16(std, quint16(name.size()));
        for (QChar c : name)
            append16(std, c.unicode());
        append16(std, 0);
        return std;
    }

    static QByteArray normalStyle()
    {
        QByteArray std = styleHeader(0, 1, 2, 0, QStringLiteral("Normal"));
        append16(std, 2); // paragraph UPX: the style index only
        append16(std, 0);
        QByteArray chpx;
        DocSprm::append(chpx, DocSprm::cRgFtc0, 0);
        DocSprm::append(chpx, DocSprm::cRgFtc1, 0);
        DocSprm::append(chpx, DocSprm::cRgFtc2, 0);
        DocSprm::append(chpx, DocSprm::cHps, normalHalfPoints);
        append16(std, quint16(chpx.size()));
        std += chpx;
        padTo(std, 2);
        return std;
    }

    static QByteArray defaultParagraphFontStyle()
    {
        QByteArray std = styleHeader(65, 2, 1, 10, QStringLiteral("Default Paragraph Font"));
        append16(std, 0); // empty character UPX
        return std;
    }

    QByteArray container()
    {
        const qint64 ccpText = m_text.size();
        QByteArray main(textStart, '\0');
        for (QChar c : std::as_const(m_text))
            append16(main, c.unicode());
        padTo(main, pageSize);

        DocFkpWriter characters(DocFkpWriter::Kind::Character);
        for (const CharacterRun &run : std::as_const(m_characterRuns))
            characters.addRun(fcOf(run.cpStart), fcOf(run.cpEnd), run.chpx);
        DocFkpWriter paragraphs(DocFkpWriter::Kind::Paragraph);
        qint64 paragraphStart = 0;
        for (const auto &[end, papx] : std::as_const(m_paragraphEnds)) {
            paragraphs.addRun(fcOf(paragraphStart), fcOf(end), papx);
            paragraphStart = end;
        }
        const quint32 firstCharacterPage = quint32(main.size() / pageSize);
        const QByteArray characterBins = characters.binTable(firstCharacterPage);
        main += characters.pages();
        const quint32 firstParagraphPage = quint32(main.size() / pageSize);
        const QByteArray paragraphBins = paragraphs.binTable(firstParagraphPage);
        main += paragraphs.pages();
        const quint32 sectionAt = quint32(main.size());
        main += sectionProperties();
        if (main.size() < minimumMainStreamSize)
            main.append(minimumMainStreamSize - main.size(), '\0');

        QByteArray table;
        struct Blob {
            DocFib::BlobIndex index;
            QByteArray bytes;
            std::optional<quint32> recordedSize; // when less than what is written
        };
        quint32 listDefinitionsSize = 0;
        const QByteArray listDefinitions = m_lists.isEmpty() ? QByteArray() : m_lists.definitions(&listDefinitionsSize);
        const QList<Blob> blobs = {
            {DocFib::StshfIndex, styleSheet(), {}},
            {DocFib::PlcfBteChpxIndex, characterBins, {}},
            {DocFib::PlcfBtePapxIndex, paragraphBins, {}},
            {DocFib::SttbfFfnIndex, DocFontTable::build(m_fonts), {}},
            {DocFib::ClxIndex, pieceTable(ccpText), {}},
            {DocFib::PlcfSedIndex, sectionTable(ccpText, sectionAt), {}},
            {DocFib::PlcfFldMomIndex, fieldTable(ccpText), {}},
            {DocFib::DopIndex, documentProperties(), {}},
            // The list levels follow the definitions, outside their recorded size.
            {DocFib::PlfLstIndex, listDefinitions, listDefinitionsSize},
            {DocFib::PlfLfoIndex, m_lists.isEmpty() ? QByteArray() : m_lists.overrides(), {}},
        };
        writeFib(main, ccpText, firstCharacterPage, characters.pageCount(), firstParagraphPage,
                 paragraphs.pageCount());
        for (const Blob &blob : blobs) {
            if (blob.bytes.isEmpty())
                continue;
            put32(main, DocFib::pairsOffset + 8 * blob.index, quint32(table.size()));
            put32(main, DocFib::pairsOffset + 8 * blob.index + 4, blob.recordedSize.value_or(quint32(blob.bytes.size())));
            table += blob.bytes;
        }

        CompoundFileWriter writer;
        writer.setRootClassId(QByteArray::fromHex("0609020000000000c000000000000046"));
        writer.addStream(QStringLiteral("WordDocument"), main);
        writer.addStream(QStringLiteral("1Table"), table);
        if (!m_pictures.isEmpty())
            writer.addStream(QStringLiteral("Data"), m_pictures.stream());
        return writer.toBytes();
    }

    static quint32 fcOf(qint64 cp) { return textStart + quint32(2 * cp); }

    void writeFib(QByteArray &main, qint64 ccpText, quint32 firstCharacterPage, int characterPages,
                  quint32 firstParagraphPage, int paragraphPages) const
    {
        constexpr quint16 whichTableStream = 0x0200;
        constexpr quint16 extendedCharacters = 0x1000;
        put16(main, 0x00, DocFib::wordIdentifier);
        put16(main, 0x02, DocFib::word97Version);
        put16(main, 0x06, 0x0409);
        put16(main, 0x0A, whichTableStream | extendedCharacters);
        put16(main, 0x0C, 0x00BF);
        put32(main, 0x18, textStart);
        put32(main, 0x1C, fcOf(ccpText));
        put16(main, 0x20, 14);
        put16(main, 0x3E, DocFib::lwCount);
        const auto lw = [&main](int index, quint32 value) { put32(main, 0x40 + 4 * index, value); };
        lw(0, quint32(main.size()));
        lw(3, quint32(ccpText));
        lw(11, 0xFFFFF);
        lw(12, firstCharacterPage);
        lw(13, quint32(characterPages));
        lw(14, 0xFFFFF);
        lw(15, firstParagraphPage);
        lw(16, quint32(paragraphPages));
        lw(17, 0xFFFFF);
        put16(main, 0x98, DocFib::pairCount97);
    }

    static QByteArray pieceTable(qint64 ccpText)
    {
        QByteArray clx;
        clx.append(char(0x02));
        append32(clx, 16);
        append32(clx, 0);
        append32(clx, quint32(ccpText));
        append16(clx, 0);
        append32(clx, textStart); // UTF-16: the compressed flag is clear
        append16(clx, 0);
        return clx;
    }

    static QByteArray sectionProperties()
    {
        using namespace DocSprm;
        QByteArray sepx;
        append(sepx, sBkc, 2);
        append(sepx, sXaPage, 11906); // A4
        append(sepx, sYaPage, 16838);
        append(sepx, sDxaLeft, 1440);
        append(sepx, sDxaRight, 1440);
        append(sepx, sDyaTop, 1440);
        append(sepx, sDyaBottom, 1440);
        QByteArray out;
        append16(out, quint16(sepx.size()));
        return out + sepx;
    }

    static QByteArray sectionTable(qint64 ccpText, quint32 sectionAt)
    {
        QByteArray plc;
        append32(plc, 0);
        append32(plc, quint32(ccpText));
        append16(plc, 0);
        append32(plc, sectionAt);
        append16(plc, 0);
        append32(plc, 0xFFFFFFFF);
        return plc;
    }

    QByteArray fieldTable(qint64 ccpText) const
    {
        if (m_fields.isEmpty())
            return {};
        QByteArray plc;
        for (const Field &field : m_fields)
            append32(plc, quint32(field.cp));
        append32(plc, quint32(ccpText));
        for (const Field &field : m_fields) {
            plc.append(char(field.ch));
            plc.append(char(field.info));
        }
        return plc;
    }

    static QByteArray documentProperties()
    {
        QByteArray dop(500, '\0');
        put16(dop, 0x00, 0x0002); // widow control
        put16(dop, 0x02, 1 << 2); // footnotes numbered from 1
        put16(dop, 0x0A, 720);    // default tab stop: half an inch
        return dop;
    }

    const StyledText &m_source;
    QString m_text;
    QList<CharacterRun> m_characterRuns;
    QList<std::pair<qint64, QByteArray>> m_paragraphEnds;
    QList<Field> m_fields;
    QStringList m_fonts;
    DocPictureWriter m_pictures;
    DocListWriter m_lists;
};

} // namespace

QByteArray DocWriter::write(const StyledText &text)
{
    return DocBuilder(text).build();
}

bool DocWriter::writeFile(const StyledText &text, const QString &path, QString *error)
{
    return SafeSave::writeFile(path, write(text), error);
}
