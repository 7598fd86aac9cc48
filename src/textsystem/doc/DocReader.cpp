#include "textsystem/doc/DocReader.h"

#include "platform/CompoundFileReader.h"
#include "platform/Failure.h"
#include "textsystem/doc/DocFib.h"
#include "textsystem/doc/DocFontTable.h"
#include "textsystem/doc/DocFormattedRuns.h"
#include "textsystem/doc/DocListTable.h"
#include "textsystem/doc/DocPictureReader.h"
#include "textsystem/doc/DocPieceTable.h"
#include "textsystem/doc/DocPlc.h"
#include "textsystem/doc/DocStyleSheet.h"
#include "textsystem/doc/DocTextBuilder.h"
#include "textsystem/SymbolFont.h"

#include <QFile>

namespace {

constexpr char16_t paragraphMark = u'\r';
constexpr char16_t cellMark = 0x07;
constexpr char16_t pictureCharacter = 0x01;
constexpr char16_t drawnObject = 0x08;

bool isEastAsian(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xAC00 && u <= 0xD7AF) || (u >= 0xF900 && u <= 0xFAFF)
        || (u >= 0xFF00 && u <= 0xFFEF) || c.isSurrogate();
}

ParagraphStyle paragraphStyle(const DocParagraphProperties &pap, const DocListTable &lists)
{
    ParagraphStyle style;
    switch (pap.justification) {
    case 0:
        break;
    case 1:
        style.alignment = TextAlignment::Center;
        break;
    case 2:
        style.alignment = TextAlignment::Right;
        break;
    default:
        style.alignment = TextAlignment::Justified;
        break;
    }
    style.headIndent = pap.leftIndent / 20.0;
    style.firstLineHeadIndent = (pap.leftIndent + pap.firstLineOffset) / 20.0;
    style.tailIndent = pap.rightIndent ? -pap.rightIndent / 20.0 : 0.0;
    style.spacingBefore = pap.spaceBefore / 20.0;
    style.spacingAfter = pap.spaceAfter / 20.0;
    if (pap.lineSpacingMultiple && pap.lineSpacing > 0 && pap.lineSpacing != 240)
        style.lineHeightMultiple = pap.lineSpacing / 240.0;
    style.textLists = lists.textLists(pap.listFormatOverride, pap.listLevel);
    return style;
}

// The decoded streams and tables of one document.
class DocDocument
{
public:
    explicit DocDocument(PictureCache &pictures) : m_decodedPictures(pictures) {}

    bool load(const QByteArray &bytes, QString *error)
    {
        QString containerError;
        const auto container = CompoundFileReader::open(bytes, &containerError);
        if (!container)
            return fail(error, CompoundFileReader::hasSignature(bytes)
                                   ? containerError
                                   : QStringLiteral("The file is not a Word 97-2004 document (it is not a compound file)"));
        if (!container->hasStream(QStringLiteral("WordDocument")))
            return fail(error, QStringLiteral("The file has no WordDocument stream; it is not a Word document"));
        const auto wordDocument = container->stream(QStringLiteral("WordDocument"), error);
        if (!wordDocument)
            return false;
        m_wordDocumentBytes = *wordDocument;
        m_wordDocument = DocByteView(m_wordDocumentBytes);
        const auto fib = DocFib::parse(m_wordDocument, error);
        if (!fib)
            return false;
        m_fib = *fib;
        const auto table = container->stream(m_fib.tableStreamName(), error);
        if (!table)
            return false;
        m_tableBytes = *table;
        m_table = DocByteView(m_tableBytes);
        if (container->hasStream(QStringLiteral("Data")))
            m_dataBytes = container->stream(QStringLiteral("Data"), nullptr).value_or(QByteArray());
        m_data = DocByteView(m_dataBytes);

        const auto pieces = DocPieceTable::parse(tableBlob(DocFib::ClxIndex), m_wordDocument.size(), error);
        if (!pieces)
            return false;
        m_pieces = *pieces;
        m_characterRuns = DocFormattedRuns::readCharacterRuns(m_wordDocument, tableBlob(DocFib::PlcfBteChpxIndex));
        m_paragraphRuns = DocFormattedRuns::readParagraphRuns(m_wordDocument, tableBlob(DocFib::PlcfBtePapxIndex));
        m_styles = DocStyleSheet::parse(tableBlob(DocFib::StshfIndex));
        m_fonts = DocFontTable::parse(tableBlob(DocFib::SttbfFfnIndex));
        const DocFib::Blob lst = m_fib.blob(DocFib::PlfLstIndex);
        const DocFib::Blob lfo = m_fib.blob(DocFib::PlfLfoIndex);
        m_lists = DocListTable::parse(m_table, lst.fc, lst.lcb, lfo.fc, lfo.lcb);
        readShapeAnchors();
        m_pictures = DocPictureReader(m_data, m_wordDocument, tableBlob(DocFib::DggInfoIndex), m_decodedPictures);
        return true;
    }

    StyledText text()
    {
        const qint64 textLength = qMin<qint64>(m_fib.ccpText, m_pieces.cpLimit());
        const QString characters = m_pieces.text(m_wordDocument, textLength);
        DocTextBuilder builder;
        qsizetype pieceIndex = 0;
        qint64 start = 0;
        while (start < textLength) {
            qint64 end = start;
            while (end < textLength && characters[end] != paragraphMark && characters[end] != cellMark)
                ++end;
            const bool hasMark = end < textLength;
            const qint64 stop = hasMark ? end + 1 : end;
            // The document's last paragraph mark ends the text; it adds no line.
            const qint64 shown = hasMark && end == textLength - 1 && characters[end] == paragraphMark ? end : stop;
            addParagraph(builder, characters, start, stop, shown, pieceIndex);
            start = stop;
        }
        return builder.finish();
    }

private:
    DocByteView tableBlob(DocFib::BlobIndex index) const
    {
        const DocFib::Blob blob = m_fib.blob(index);
        return m_table.mid(blob.fc, blob.lcb);
    }

    // Moves `pieceIndex` to the piece holding `cp`.
    const DocPieceTable::Piece &pieceAt(qint64 cp, qsizetype &pieceIndex) const
    {
        const QList<DocPieceTable::Piece> &pieces = m_pieces.pieces();
        while (pieceIndex + 1 < pieces.size() && pieces[pieceIndex].cpEnd <= cp)
            ++pieceIndex;
        return pieces[pieceIndex];
    }

    DocParagraphProperties paragraphProperties(qint64 markCp, qsizetype pieceIndex) const
    {
        const DocPieceTable::Piece &piece = pieceAt(markCp, pieceIndex);
        const DocFormattedRuns::Run *run = m_paragraphRuns.find(piece.fcOf(markCp));
        DocParagraphProperties pap = m_styles.paragraphProperties(run ? run->istd : 0);
        if (run)
            pap.applyAll(run->grpprl);
        pap.applyAll(m_pieces.prcGrpprl(piece.prm));
        return pap;
    }

    DocCharacterProperties characterProperties(const DocFormattedRuns::Run *run, const DocPieceTable::Piece &piece,
                                               const DocCharacterProperties &styleChp) const
    {
        DocCharacterProperties chp = styleChp;
        auto apply = [&](const DocSprm::Modifier &sprm) {
            if (sprm.code == DocSprm::cIstd)
                m_styles.applyCharacterStyle(sprm.word(), chp);
            else
                chp.apply(sprm, styleChp);
        };
        if (run)
            DocSprm::forEach(run->grpprl, apply);
        DocSprm::forEach(m_pieces.prcGrpprl(piece.prm), apply);
        return chp;
    }

    // The drawing shapes anchored in the main text, by CP: shape id and
    // bounds in twips.
    void readShapeAnchors()
    {
        constexpr int anchorSize = 26;
        const DocPlc plc(tableBlob(DocFib::PlcSpaMomIndex), anchorSize);
        for (qsizetype i = 0; i < plc.count(); ++i) {
            const DocByteView anchor = plc.element(i);
            const QRectF bounds(0, 0, (anchor.i32(12) - qint64(anchor.i32(4))) / 20.0,
                                (anchor.i32(16) - qint64(anchor.i32(8))) / 20.0);
            m_shapeAnchors.insert(plc.position(i), {anchor.u32(0), bounds});
        }
    }

    QString fontName(quint16 index) const
    {
        return index < m_fonts.size() ? m_fonts[index] : QString();
    }

    TextAttributes attributes(const DocCharacterProperties &chp, quint16 fontIndex,
                              const std::optional<ParagraphStyle> &paragraph) const
    {
        TextAttributes a;
        FontDescriptor font;
        font.family = fontName(fontIndex);
        font.pointSize = chp.halfPoints / 2.0;
        font.bold = chp.bold;
        font.italic = chp.italic;
        a.font = font;
        if (chp.underline)
            a.underlineStyle = underlineStyle(chp.underline);
        if (chp.doubleStrike)
            a.strikethroughStyle = TextLineStyle::doubleLine;
        else if (chp.strike)
            a.strikethroughStyle = TextLineStyle::single;
        a.foreground = chp.color;
        a.background = chp.background;
        if (chp.superSub == 1)
            a.baselineOffset = font.pointSize / 3.0;
        else if (chp.superSub == 2)
            a.baselineOffset = -font.pointSize / 5.0;
        else if (chp.positionHalfPoints)
            a.baselineOffset = chp.positionHalfPoints / 2.0;
        a.paragraphStyle = paragraph;
        return a;
    }

    static int underlineStyle(int kul)
    {
        using namespace TextLineStyle;
        switch (kul) {
        case 2:
            return single | byWord;
        case 3:
        case 43:
            return doubleLine;
        case 4:
            return single | patternDot;
        case 6:
        case 27:
            return thick;
        case 7:
        case 39:
            return single | patternDash;
        case 9:
            return single | patternDashDot;
        case 10:
            return single | patternDashDotDot;
        case 20:
            return thick | patternDot;
        case 23:
        case 55:
            return thick | patternDash;
        case 25:
            return thick | patternDashDot;
        case 26:
            return thick | patternDashDotDot;
        default:
            return single;
        }
    }

    // Adds CPs [start, stop) of one paragraph (its mark last when it has
    // one), showing those before `shown`, split where pieces or character
    // runs change.
    void addParagraph(DocTextBuilder &builder, const QString &characters, qint64 start, qint64 stop, qint64 shown,
                      qsizetype &pieceIndex) const
    {
        const DocParagraphProperties pap = paragraphProperties(stop - 1, pieceIndex);
        DocTextBuilder::Mark mark = DocTextBuilder::Mark::Paragraph;
        if (characters[stop - 1] == cellMark)
            mark = pap.tableRowEnd ? DocTextBuilder::Mark::RowEnd : DocTextBuilder::Mark::Cell;
        else if (pap.innerTableRowEnd)
            mark = DocTextBuilder::Mark::RowEnd;
        else if (pap.innerTableCell)
            mark = DocTextBuilder::Mark::Cell;
        const ParagraphStyle style = paragraphStyle(pap, m_lists);
        const std::optional<ParagraphStyle> paragraph = style == ParagraphStyle() ? std::nullopt
                                                                                   : std::optional(style);
        const DocCharacterProperties &styleChp = m_styles.characterProperties(paragraphStyleIndex(stop - 1, pieceIndex));
        qint64 cp = start;
        while (cp < shown) {
            const DocPieceTable::Piece &piece = pieceAt(cp, pieceIndex);
            const qint64 fc = piece.fcOf(cp);
            const qsizetype runIndex = m_characterRuns.firstEndingAfter(fc);
            const DocFormattedRuns::Run *run = runIndex < m_characterRuns.runs().size()
                                                       && m_characterRuns.runs()[runIndex].fcStart <= fc
                                                   ? &m_characterRuns.runs()[runIndex]
                                                   : nullptr;
            qint64 end = qMin(shown, piece.cpEnd);
            if (run)
                end = qMin(end, cp + (qint64(run->fcEnd) - fc + piece.bytesPerCharacter() - 1) / piece.bytesPerCharacter());
            else if (runIndex < m_characterRuns.runs().size())
                end = qMin(end, cp + qMax<qint64>(1, (qint64(m_characterRuns.runs()[runIndex].fcStart) - fc) / piece.bytesPerCharacter()));
            end = qMax(end, cp + 1);
            addSegment(builder, QStringView(characters).sliced(cp, end - cp), cp,
                       characterProperties(run, piece, styleChp), styleChp.fontAscii, paragraph, mark);
            cp = end;
        }
    }

    quint16 paragraphStyleIndex(qint64 markCp, qsizetype pieceIndex) const
    {
        const DocPieceTable::Piece &piece = pieceAt(markCp, pieceIndex);
        const DocFormattedRuns::Run *run = m_paragraphRuns.find(piece.fcOf(markCp));
        return run ? run->istd : 0;
    }

    // Adds characters of one character run, splitting them where the script
    // chooses the Latin or the East Asian font.
    void addSegment(DocTextBuilder &builder, QStringView segment, qint64 cp, const DocCharacterProperties &chp,
                    quint16 styleFont, const std::optional<ParagraphStyle> &paragraph, DocTextBuilder::Mark mark) const
    {
        TextAttachmentPointer picture;
        if (chp.special && chp.pictureLocation && !chp.ole2 && segment.contains(QChar(pictureCharacter)))
            picture = m_pictures.read(*chp.pictureLocation);
        if (const qsizetype anchor = segment.indexOf(QChar(drawnObject)); anchor >= 0 && chp.special) {
            // A drawn object stands alone: its picture is its own.
            addSegment(builder, segment.left(anchor), cp, chp, styleFont, paragraph, mark);
            const auto shape = m_shapeAnchors.value(cp + anchor);
            builder.addCharacters(segment.sliced(anchor, 1), attributes(chp, chp.fontAscii, paragraph), mark,
                                  m_pictures.readShape(shape.first, shape.second));
            addSegment(builder, segment.sliced(anchor + 1), cp + anchor + 1, chp, styleFont, paragraph, mark);
            return;
        }
        if (chp.symbolCode || SymbolFont::isSymbolFamily(fontName(chp.fontAscii))) {
            addSymbolSegment(builder, segment, chp, styleFont, paragraph, mark);
            return;
        }
        const TextAttributes latin = attributes(chp, chp.fontAscii, paragraph);
        const TextAttributes eastAsian = chp.fontEastAsian == chp.fontAscii
                                             ? latin
                                             : attributes(chp, chp.fontEastAsian, paragraph);
        qsizetype from = 0;
        while (from < segment.size()) {
            const bool asian = isEastAsian(segment[from]);
            qsizetype to = from + 1;
            while (to < segment.size() && (isEastAsian(segment[to]) == asian || !segment[to].isLetterOrNumber()))
                ++to;
            builder.addCharacters(segment.sliced(from, to - from), asian ? eastAsian : latin, mark, picture);
            from = to;
        }
    }

    // Characters that show glyphs of a symbol font: the glyph sprmCSymbol
    // names in place of each placeholder, or those of a run set in Symbol at
    // the characters' codes (0x20-0xFF, or the same at U+F000-U+F0FF). The
    // Symbol font's glyphs become the characters they show, in the run's
    // other font; another font's glyphs stay in it at their private-use
    // code, never a control character.
    void addSymbolSegment(DocTextBuilder &builder, QStringView segment, const DocCharacterProperties &chp,
                          quint16 styleFont, const std::optional<ParagraphStyle> &paragraph,
                          DocTextBuilder::Mark mark) const
    {
        constexpr char16_t privateUseStart = 0xF000;
        const quint16 glyphFont = chp.symbolCode ? chp.symbolFont : chp.fontAscii;
        const bool symbolFamily = SymbolFont::isSymbolFamily(fontName(glyphFont));
        const bool runInSymbol = SymbolFont::isSymbolFamily(fontName(chp.fontAscii));
        const TextAttributes inGlyphFont = attributes(chp, glyphFont, paragraph);
        const TextAttributes asText = attributes(chp, runInSymbol ? styleFont : chp.fontAscii, paragraph);
        const auto isGlyphCode = [](uint code) {
            return code <= 0xFF || (code >= privateUseStart && code <= privateUseStart + 0xFF);
        };
        for (const QChar c : segment) {
            const bool placeholder = chp.symbolCode && c.unicode() >= 0x20;
            const uint code = placeholder ? chp.symbolCode : c.unicode();
            if ((!placeholder && code < 0x20) || !isGlyphCode(code)) {
                // A mark, or a character of its own.
                if (!QChar::isSurrogate(code))
                    builder.addCharacters(QString(QChar(char16_t(code))), inGlyphFont, mark);
                continue;
            }
            const std::optional<char16_t> shown = symbolFamily ? SymbolFont::unicodeFor(code) : std::nullopt;
            const QChar character(shown ? *shown : char16_t(privateUseStart | (code & 0xFF)));
            builder.addCharacters(QStringView(&character, 1), shown ? asText : inGlyphFont, mark);
        }
    }

    QByteArray m_wordDocumentBytes;
    QByteArray m_tableBytes;
    QByteArray m_dataBytes;
    DocByteView m_wordDocument;
    DocByteView m_table;
    DocByteView m_data;
    DocFib m_fib;
    DocPieceTable m_pieces;
    DocFormattedRuns m_characterRuns;
    DocFormattedRuns m_paragraphRuns;
    DocStyleSheet m_styles;
    QStringList m_fonts;
    DocListTable m_lists;
    PictureCache &m_decodedPictures;
    DocPictureReader m_pictures;
    QHash<qint64, std::pair<quint32, QRectF>> m_shapeAnchors;
};

} // namespace

std::optional<StyledText> DocReader::read(const QByteArray &bytes, QString *error, PictureCache *pictures)
{
    PictureCache ownPictures;
    DocDocument document(pictures ? *pictures : ownPictures);
    if (!document.load(bytes, error))
        return std::nullopt;
    return document.text();
}

std::optional<StyledText> DocReader::readFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot open %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return read(file.readAll(), error);
}
