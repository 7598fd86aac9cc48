#include "XlsxWorksheetReader.h"

#include "ExcelDocument.h"
#include "FormulaReferenceShift.h"
#include "XlsxFunctionNames.h"
#include "XlsxNodes.h"
#include "XlsxSheetDataLayout.h"
#include "platform/XmlRead.h"

#include <QHash>
#include <QUuid>
#include <algorithm>

namespace {

struct CellTexts {
    QString raw;
    QString value;
};

// The cell that defines a shared formula, which the others of its group
// repeat with their references moved.
struct SharedFormula {
    QString text;
    CellAddress address;
};

// A member of a shared formula group met before any cell defining the group.
struct PendingMember {
    QString index; // "si"
    CellAddress address;
    QString cached;
};

enum class CellType { Number, SharedString, InlineString, FormulaString, Other };

CellType cellType(QByteArrayView type)
{
    if (type.isEmpty() || type == "n")
        return CellType::Number;
    if (type == "s")
        return CellType::SharedString;
    if (type == "inlineStr")
        return CellType::InlineString;
    if (type == "str")
        return CellType::FormulaString;
    return CellType::Other;
}

// "5.0" → "5", "-4.0" → "-4": writers (ours included) add ".0" to integral
// numbers, and the cell shows the integer as it was typed. Other number texts
// stay as written.
QString withoutIntegralZero(const QString &value)
{
    if (!value.endsWith(QLatin1String(".0")))
        return value;
    const QStringView digits = QStringView(value).chopped(2);
    const QStringView magnitude = digits.startsWith(u'-') ? digits.mid(1) : digits;
    if (magnitude.isEmpty() || !std::all_of(magnitude.begin(), magnitude.end(),
                                            [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return value;
    return digits.toString();
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The bytes of an element whose whole content is one run of ASCII text, as
// nearly every <v> is; nullopt for anything else.
std::optional<QByteArrayView> plainText(pugi::xml_node node)
{
    const pugi::xml_node text = node.first_child();
    if (!text || text.type() != pugi::node_pcdata || text.next_sibling())
        return std::nullopt;
    const QByteArrayView bytes(text.value());
    return isAscii(bytes) ? std::optional(bytes) : std::nullopt;
}

// XmlRead::text without its general joining for the common plain value.
QString trimmedText(pugi::xml_node node)
{
    if (!node)
        return {};
    if (const auto bytes = plainText(node))
        return QString::fromLatin1(bytes->trimmed());
    return XmlRead::text(node);
}

char16_t unit(QChar c) { return c.unicode(); }
char16_t unit(char c) { return static_cast<unsigned char>(c); }

// Letters then digits, over UTF-16 or UTF-8 text alike: only ASCII counts.
template <typename Text>
std::optional<CellAddress> addressOf(Text text, int rowLimit, int columnLimit)
{
    qsizetype i = 0;
    qint64 column = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = unit(text[i]);
        const char16_t upper = c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c;
        if (upper < u'A' || upper > u'Z')
            break;
        column = column * 26 + (upper - u'A' + 1);
        if (column > columnLimit)
            return std::nullopt;
    }
    const qsizetype letters = i;
    qint64 row = 0;
    for (; i < text.size() && unit(text[i]) >= u'0' && unit(text[i]) <= u'9'; ++i) {
        row = row * 10 + (unit(text[i]) - u'0');
        if (row > rowLimit)
            return std::nullopt;
    }
    if (letters == 0 || i == letters || i != text.size() || row < 1)
        return std::nullopt;
    return CellAddress{int(row - 1), int(column - 1)};
}

quint32 addressKey(CellAddress address)
{
    return quint32(address.row) << 16 | quint32(address.col);
}

class SheetBuilder
{
public:
    SheetBuilder(const QStringList &sharedStrings, const QList<CellStyle> &cellFormats)
        : m_sharedStrings(sharedStrings), m_cellFormats(cellFormats),
          m_cells(makeEmptyGrid(ExcelDocument::maxRowCount, ExcelDocument::maxColumnCount)),
          m_values(m_cells), m_writtenRows(ExcelDocument::maxRowCount, false)
    {
        m_visibleFormats.reserve(cellFormats.size());
        for (const CellStyle &style : cellFormats)
            m_visibleFormats.push_back(style != CellStyle{});
    }

    // Places the cells of every <row> of `sheetData`, in document order, a
    // later cell at the same place replacing an earlier one.
    void addRows(pugi::xml_node sheetData)
    {
        QByteArray storage;
        for (const pugi::xml_node row : sheetData.children("row")) {
            for (const pugi::xml_node cell : row.children("c")) {
                const auto address = XlsxWorksheetReader::parseCellAddress(
                    XlsxNodes::attributeBytes(cell, "r", storage), ExcelDocument::maxRowCount,
                    ExcelDocument::maxColumnCount);
                if (address)
                    addCell(cell, *address);
            }
        }
    }

    // The sheet of the cells added: grids at least 100 × 50, grown to the
    // cells found; the merged ranges of `worksheet`.
    ExcelSheet finish(pugi::xml_node worksheet, const QString &name)
    {
        resolvePendingMembers();
        ExcelSheet sheet;
        sheet.id = QUuid::createUuid();
        sheet.name = name;
        sheet.cells = shaped(std::move(m_cells));
        sheet.evaluatedCells = shaped(std::move(m_values));
        sheet.cachedEvaluatedCells = sheet.evaluatedCells;
        sheet.cellStyles = std::move(m_styles);
        readMerges(worksheet.child("mergeCells"), sheet);
        return sheet;
    }

private:
    void addCell(pugi::xml_node cell, CellAddress address)
    {
        m_rows = std::max(m_rows, address.row + 1);
        m_columns = std::max(m_columns, address.col + 1);
        const pugi::xml_node f = cell.child("f");
        noteSharedFormula(f, address);
        if (!m_pendingMembers.isEmpty())
            m_pendingByAddress.remove(addressKey(address));
        CellTexts texts = cellTexts(cell, f, address);
        place(address, std::move(texts));
        readStyle(cell, address);
    }

    void place(CellAddress address, CellTexts texts)
    {
        m_writtenRows[size_t(address.row)] = true;
        m_cells[address.row][address.col] = std::move(texts.raw);
        m_values[address.row][address.col] = std::move(texts.value);
    }

    // Rows never written keep sharing one empty row.
    CellGrid shaped(CellGrid grid) const
    {
        CellGrid result = makeEmptyGrid(m_rows, m_columns);
        for (int r = 0; r < m_rows; ++r) {
            if (!m_writtenRows[size_t(r)])
                continue;
            QStringList &row = grid[r];
            row.resize(m_columns);
            result[r] = std::move(row);
        }
        return result;
    }

    void noteSharedFormula(pugi::xml_node f, CellAddress address)
    {
        if (!f || XlsxNodes::attribute(f, "t") != QLatin1String("shared"))
            return;
        const QString text = XmlRead::text(f);
        const QString index = XlsxNodes::attribute(f, "si");
        if (!text.isEmpty() && !m_sharedFormulas.contains(index))
            m_sharedFormulas.insert(index, {text, address});
    }

    QString sharedString(const QString &index, const QString &otherwise) const
    {
        const auto at = XlsxNodes::listIndex(index, m_sharedStrings.size());
        return at ? m_sharedStrings[*at] : otherwise;
    }

    std::optional<qsizetype> sharedStringIndex(pugi::xml_node v) const
    {
        if (const auto bytes = plainText(v))
            return XlsxNodes::listIndex(bytes->trimmed(), m_sharedStrings.size());
        return XlsxNodes::listIndex(XmlRead::text(v), m_sharedStrings.size());
    }

    QString shiftedFormula(const SharedFormula &defining, CellAddress address) const
    {
        return FormulaReferenceShift::shifted(defining.text, address.row - defining.address.row,
                                              address.col - defining.address.col);
    }

    CellTexts formulaTexts(pugi::xml_node f, const QString &cached, CellAddress address)
    {
        const QString text = XmlRead::text(f);
        if (!text.isEmpty() || XlsxNodes::attribute(f, "t") != QLatin1String("shared"))
            return {u'=' + XlsxFunctionNames::fromFile(text), cached};
        // A member of a shared formula group repeats the defining cell's
        // formula moved by the distance between the two; a member whose
        // group has no defining cell keeps its cached value as plain value.
        const QString index = XlsxNodes::attribute(f, "si");
        const auto defining = m_sharedFormulas.constFind(index);
        if (defining != m_sharedFormulas.cend())
            return {u'=' + XlsxFunctionNames::fromFile(shiftedFormula(*defining, address)), cached};
        m_pendingByAddress.insert(addressKey(address), m_pendingMembers.size());
        m_pendingMembers.append({index, address, cached});
        return {cached, cached};
    }

    // The defining cell of a group may come after its members.
    void resolvePendingMembers()
    {
        for (const qsizetype at : std::as_const(m_pendingByAddress)) {
            const PendingMember &member = m_pendingMembers[at];
            const auto defining = m_sharedFormulas.constFind(member.index);
            if (defining != m_sharedFormulas.cend())
                m_cells[member.address.row][member.address.col] =
                    u'=' + XlsxFunctionNames::fromFile(shiftedFormula(*defining, member.address));
        }
    }

    CellTexts cellTexts(pugi::xml_node cell, pugi::xml_node f, CellAddress address)
    {
        QByteArray storage;
        const CellType type = cellType(XlsxNodes::attributeBytes(cell, "t", storage));
        const pugi::xml_node v = cell.child("v");
        if (f) {
            // A cached string result may be kept in the shared strings too;
            // a formula's text result keeps its end blanks, as a <t> does.
            const QString value = type == CellType::FormulaString ? XmlRead::rawText(v)
                                  : type == CellType::Number      ? withoutIntegralZero(trimmedText(v))
                                                                  : trimmedText(v);
            return formulaTexts(f, type == CellType::SharedString ? sharedString(value, value) : value, address);
        }
        switch (type) {
        case CellType::InlineString:
            if (const pugi::xml_node item = cell.child("is"); XlsxNodes::hasStringText(item)) {
                const QString text = XlsxNodes::stringItemText(item);
                return {text, text};
            }
            break;
        case CellType::SharedString:
            if (v) {
                if (const auto at = sharedStringIndex(v))
                    return {m_sharedStrings[*at], m_sharedStrings[*at]};
            }
            return {QString(), trimmedText(v)};
        case CellType::Number: {
            const QString value = withoutIntegralZero(trimmedText(v));
            return {value, value};
        }
        case CellType::FormulaString: {
            const QString value = XmlRead::rawText(v);
            return {value, value};
        }
        case CellType::Other:
            break;
        }
        const QString value = trimmedText(v);
        return {value, value};
    }

    void readStyle(pugi::xml_node cell, CellAddress address)
    {
        QByteArray storage;
        const auto format = XlsxNodes::listIndex(XlsxNodes::attributeBytes(cell, "s", storage), m_cellFormats.size());
        if (!format || !m_visibleFormats[size_t(*format)])
            return;
        m_styles.insert(CellReference::text(address.row, address.col), m_cellFormats[*format]);
    }

    void readMerges(pugi::xml_node mergeCells, ExcelSheet &sheet) const
    {
        for (const pugi::xml_node merge : mergeCells.children("mergeCell")) {
            const QStringList corners = XlsxNodes::attribute(merge, "ref").split(u':');
            if (corners.size() != 2)
                continue;
            const auto start = XlsxWorksheetReader::parseCellAddress(corners[0], m_rows, m_columns);
            const auto end = XlsxWorksheetReader::parseCellAddress(corners[1], m_rows, m_columns);
            if (start && end)
                sheet.mergedRanges.append(ExcelRange{start->row, start->col, end->row, end->col}.normalized());
        }
    }

    const QStringList &m_sharedStrings;
    const QList<CellStyle> &m_cellFormats;
    std::vector<bool> m_visibleFormats; // by format: differs from the default style
    CellGrid m_cells;                   // at the readers' limit until finished
    CellGrid m_values;
    std::vector<bool> m_writtenRows;
    CellStyleMap m_styles;
    QHash<QString, SharedFormula> m_sharedFormulas; // by "si", the first defining cell
    QList<PendingMember> m_pendingMembers;
    QHash<quint32, qsizetype> m_pendingByAddress; // members not replaced by a later cell
    int m_rows = ExcelDocument::defaultRowCount;
    int m_columns = ExcelDocument::defaultColumnCount;
};

} // namespace

ExcelSheet XlsxWorksheetReader::read(pugi::xml_node worksheet, const QString &name,
                                     const QStringList &sharedStrings,
                                     const QList<CellStyle> &cellFormats)
{
    SheetBuilder builder(sharedStrings, cellFormats);
    builder.addRows(worksheet.child("sheetData"));
    return builder.finish(worksheet, name);
}

std::optional<ExcelSheet> XlsxWorksheetReader::readInPieces(QByteArray &part, const QString &name,
                                                           const QStringList &sharedStrings,
                                                           const QList<CellStyle> &cellFormats)
{
    const auto layout = XlsxSheetDataLayout::find(part, pieceSize);
    if (!layout)
        return std::nullopt;
    // The worksheet without its rows: checked whole, and gives the merges.
    QByteArray outline = part.left(layout->contentBegin);
    outline.append(QByteArrayView(part).sliced(layout->contentEnd));
    pugi::xml_document worksheet;
    if (!XmlRead::loadBytes(worksheet, outline, nullptr))
        return std::nullopt;
    outline.clear();
    SheetBuilder builder(sharedStrings, cellFormats);
    qsizetype begin = layout->contentBegin;
    for (size_t i = 0; i <= layout->cuts.size(); ++i) {
        const qsizetype end = i < layout->cuts.size() ? layout->cuts[i] : layout->contentEnd;
        pugi::xml_document rows;
        if (end > begin && !XmlRead::loadFragmentInPlace(rows, part.data() + begin, size_t(end - begin)))
            return std::nullopt;
        builder.addRows(rows);
        begin = end;
    }
    return builder.finish(worksheet.document_element(), name);
}

std::optional<CellAddress> XlsxWorksheetReader::parseCellAddress(QStringView text, int rowLimit,
                                                                 int columnLimit)
{
    return addressOf(text, rowLimit, columnLimit);
}

std::optional<CellAddress> XlsxWorksheetReader::parseCellAddress(QByteArrayView text, int rowLimit,
                                                                 int columnLimit)
{
    return addressOf(text, rowLimit, columnLimit);
}
