#include "spreadsheet/engine/xlsx/XlsxWorksheetReader.h"

#include "spreadsheet/engine/model/GridLimits.h"
#include "spreadsheet/engine/formula/FormulaReferenceShift.h"
#include "spreadsheet/engine/xlsx/XlsxFunctionNames.h"
#include "spreadsheet/engine/xlsx/XlsxNodes.h"
#include "spreadsheet/engine/xlsx/XlsxReadBudget.h"
#include "spreadsheet/engine/model/TextPool.h"
#include "spreadsheet/engine/xlsx/XmlPieces.h"
#include "platform/XmlRead.h"

#include <QHash>
#include <QScopeGuard>
#include <QUuid>
#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

// A cell's text and, when it shows something else (a formula's cached
// result), that value.
struct CellTexts {
    QString raw;
    std::optional<QString> value;

    explicit CellTexts(QString text) : raw(std::move(text)) {}
    CellTexts(QString text, QString shown) : raw(std::move(text))
    {
        if (!shown.isSharedWith(raw))
            value = std::move(shown);
    }
};

// The cell that defines a shared formula, which the others of its group
// repeat with their references moved.
struct SharedFormula {
    QString text;
    CellAddress address;
};

// A member of a shared formula group: it repeats the group's formula, which
// is copied in only when the sheet is finished and the copies are costed.
struct PendingMember {
    QString index; // "si"
    CellAddress address;
    QString cached;
};

enum class CellType { Number, SharedString, InlineString, FormulaString, Other };

CellType cellType(QByteArrayView bytes)
{
    // Compared inline: this runs once per cell.
    const std::string_view type(bytes.data(), size_t(bytes.size()));
    if (type.empty() || type == "n")
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

bool isAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// QByteArrayView::trimmed, inline for the common text without blanks.
QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype start = 0, end = text.size();
    while (start < end && isAsciiSpace(text[start]))
        ++start;
    while (end > start && isAsciiSpace(text[end - 1]))
        --end;
    return text.sliced(start, end - start);
}

// The bytes of a zero-terminated text when they are all ASCII, in one pass.
std::optional<QByteArrayView> asciiView(const char *text)
{
    const char *end = text;
    unsigned char high = 0;
    for (; *end; ++end)
        high |= static_cast<unsigned char>(*end);
    if (high & 0x80)
        return std::nullopt;
    return QByteArrayView(text, end - text);
}

bool isNamed(pugi::xml_node node, const char *name)
{
    return strcmp(node.name(), name) == 0;
}

// The text of an element whose whole content is one run of character data,
// as nearly every <v> and <t> is; nullptr for anything else.
const char *singleText(pugi::xml_node node)
{
    const pugi::xml_node text = node.first_child();
    if (!text || text.type() != pugi::node_pcdata || text.next_sibling())
        return nullptr;
    return text.value();
}

// The same when that text is ASCII.
std::optional<QByteArrayView> plainText(pugi::xml_node node)
{
    const char *text = singleText(node);
    return text ? asciiView(text) : std::nullopt;
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

// The parts of a <c> the reader looks at, found in one walk over its
// attributes and children; the first of each name counts, as a lookup by
// name would find it.
struct CellNodes {
    pugi::xml_attribute r, s, t;
    pugi::xml_node f, v, is;

    explicit CellNodes(pugi::xml_node cell)
    {
        for (pugi::xml_attribute a = cell.first_attribute(); a; a = a.next_attribute()) {
            const char *name = a.name();
            if (name[0] == 0 || name[1] != 0)
                continue;
            if (name[0] == 'r' && !r)
                r = a;
            else if (name[0] == 's' && !s)
                s = a;
            else if (name[0] == 't' && !t)
                t = a;
        }
        for (pugi::xml_node child = cell.first_child(); child; child = child.next_sibling()) {
            const char *name = child.name();
            if (name[0] == 'f' && name[1] == 0 && !f)
                f = child;
            else if (name[0] == 'v' && name[1] == 0 && !v)
                v = child;
            else if (name[0] == 'i' && name[1] == 's' && name[2] == 0 && !is)
                is = child;
        }
    }
};

// An attribute's value trimmed as XlsxNodes::attribute trims it, as UTF-8.
QByteArrayView trimmedValue(pugi::xml_attribute attribute, QByteArray &storage)
{
    if (const auto value = asciiView(attribute.value()))
        return trimmed(*value);
    storage = QString::fromUtf8(attribute.value()).trimmed().toUtf8();
    return storage;
}

// What the reader notes of a cell besides its texts.
struct CellNotes {
    qint64 savedUnits = 0;   // taken from the budget for the cell's texts
    qint32 format = -1;      // its visible cell format, -1 for none
    bool showsOther = false; // its value is noted among the values unlike its text
};

// CellNotes by cell of the readers' grid, grown a row at a time as cells
// arrive: a small sheet costs its own rows, not the whole grid's.
class CellNotesGrid
{
public:
    CellNotes &operator[](CellAddress address)
    {
        const size_t at = index(address.row, address.col);
        if (at >= m_notes.size())
            m_notes.resize((size_t(address.row) + 1) * GridLimits::maxColumnCount);
        return m_notes[at];
    }

    const CellNotes &at(int row, int col) const
    {
        static const CellNotes none;
        const size_t at = index(row, col);
        return at < m_notes.size() ? m_notes[at] : none;
    }

private:
    static size_t index(int row, int col) { return size_t(row) * GridLimits::maxColumnCount + col; }

    std::vector<CellNotes> m_notes; // by row × maxColumnCount + column
};

// What a save counts for a cell: its text, and a formula's value too.
qint64 savedUnits(const QString &raw, const QString &shown)
{
    return raw.size() + (raw.startsWith(u'=') ? shown.size() : 0);
}

class SheetBuilder
{
public:
    SheetBuilder(const QStringList &sharedStrings, const QList<CellStyle> &cellFormats, XlsxReadBudget &budget)
        : m_sharedStrings(sharedStrings), m_cellFormats(cellFormats), m_budget(budget),
          m_writtenRows(GridLimits::maxRowCount, false)
    {
        m_visibleFormats.reserve(cellFormats.size());
        for (const CellStyle &style : cellFormats)
            m_visibleFormats.push_back(style != CellStyle{});
    }

    // Places the cells of every <row> of `sheetData`, in document order, a
    // later cell at the same place replacing an earlier one. The texts of
    // the nodes must stay until finish().
    void addRows(pugi::xml_node sheetData)
    {
        QByteArray storage;
        for (pugi::xml_node row = sheetData.first_child(); row && !m_budget.ranOut(); row = row.next_sibling()) {
            if (!isNamed(row, "row"))
                continue;
            for (pugi::xml_node cell = row.first_child(); cell; cell = cell.next_sibling()) {
                if (!isNamed(cell, "c"))
                    continue;
                const CellNodes nodes(cell);
                const auto address = addressOf(trimmedValue(nodes.r, storage), GridLimits::maxRowCount,
                                               GridLimits::maxColumnCount);
                if (address)
                    addCell(nodes, *address);
            }
        }
    }

    // The sheet of the cells added: grids at least 100 × 50, grown to the
    // cells found; the merged ranges of `worksheet`. Nullopt when the
    // budget ran out.
    std::optional<ExcelSheet> finish(pugi::xml_node worksheet, const QString &name)
    {
        if (m_budget.ranOut() || !resolvePendingMembers() || !takeValueRows())
            return std::nullopt;
        ExcelSheet sheet;
        sheet.id = QUuid::createUuid();
        sheet.name = name;
        sheet.cells = shaped(std::move(m_cells));
        // Rows were taken at their widest while the cells were read.
        m_budget.giveBackMemory(m_writtenRowCount * (GridLimits::maxColumnCount - m_columns) * XlsxReadBudget::cellBytes);
        sheet.evaluatedCells = sheet.cells;
        for (const auto &[address, value] : std::as_const(m_otherValues))
            sheet.evaluatedCells[address.row][address.col] = value;
        m_otherValues.clear();
        sheet.cachedEvaluatedCells = sheet.evaluatedCells;
        sheet.cellStyles = styles();
        if (!readMerges(worksheet.child("mergeCells"), sheet))
            return std::nullopt;
        return sheet;
    }

    // What a save counts for the sheet's texts.
    qint64 textUnits() const { return m_textUnits; }

private:
    void addCell(const CellNodes &nodes, CellAddress address)
    {
        m_rows = std::max(m_rows, address.row + 1);
        m_columns = std::max(m_columns, address.col + 1);
        if (!noteSharedFormula(nodes.f, address))
            return;
        if (!m_pendingMembers.isEmpty())
            m_pendingMembers.remove(addressKey(address));
        if (place(address, cellTexts(nodes, address)))
            noteStyle(nodes.s, address);
    }

    // Everything a cell adds is taken from the budget before it is kept.
    bool place(CellAddress address, CellTexts texts)
    {
        CellNotes &notes = m_notes[address];
        const QString &shown = texts.value ? *texts.value : texts.raw;
        const qint64 units = savedUnits(texts.raw, shown);
        const bool newRow = !m_writtenRows[size_t(address.row)];
        const bool notesValue = texts.value || notes.showsOther;
        const qint64 bytes = XlsxReadBudget::newTextBytes(texts.raw)
                             + (texts.value ? XlsxReadBudget::newTextBytes(*texts.value) : 0)
                             + (newRow ? GridLimits::maxColumnCount * XlsxReadBudget::cellBytes : 0)
                             + (notesValue ? qint64(sizeof(m_otherValues[0])) : 0);
        m_budget.giveBackText(notes.savedUnits);
        m_textUnits -= notes.savedUnits;
        notes.savedUnits = 0;
        if (!m_budget.takeText(units) || !m_budget.takeMemory(bytes))
            return false;
        notes.savedUnits = units;
        m_textUnits += units;
        if (newRow) {
            m_writtenRows[size_t(address.row)] = true;
            ++m_writtenRowCount;
            if (address.row >= m_cells.size())
                m_cells.resize(address.row + 1);
            m_cells[address.row].resize(GridLimits::maxColumnCount);
        }
        // Most cells show their text: the grid of values shares the rows of
        // texts but for the cells noted to show something else, in order,
        // so a later cell's value replaces an earlier one's.
        if (notesValue) {
            notes.showsOther = true;
            m_otherValues.emplace_back(address, texts.value ? std::move(*texts.value) : texts.raw);
        }
        m_cells[address.row][address.col] = std::move(texts.raw);
        return true;
    }

    // The rows of the value grid that differ from the text grid's, taken
    // before they are made.
    bool takeValueRows()
    {
        std::vector<bool> rows(GridLimits::maxRowCount, false);
        qint64 count = 0;
        for (const auto &entry : m_otherValues) {
            if (!rows[size_t(entry.first.row)]) {
                rows[size_t(entry.first.row)] = true;
                ++count;
            }
        }
        return m_budget.takeMemory(count * m_columns * XlsxReadBudget::cellBytes);
    }

    // Rows never written keep sharing one empty row.
    CellGrid shaped(CellGrid grid) const
    {
        CellGrid result = makeEmptyGrid(m_rows, m_columns);
        for (int r = 0; r < m_rows; ++r) {
            if (!m_writtenRows[size_t(r)])
                continue;
            QStringList &row = grid[r];
            // Read at the readers' full width; kept at the sheet's.
            row.resize(m_columns);
            row.squeeze();
            result[r] = std::move(row);
        }
        return result;
    }

    // False when the budget has no room for a new group's formula.
    bool noteSharedFormula(pugi::xml_node f, CellAddress address)
    {
        if (!f || XlsxNodes::attribute(f, "t") != QLatin1String("shared"))
            return true;
        const QString text = XmlRead::text(f);
        const QString index = XlsxNodes::attribute(f, "si");
        if (text.isEmpty() || m_sharedFormulas.contains(index))
            return true;
        if (!m_budget.takeMemory(XlsxReadBudget::newTextBytes(text) + XlsxReadBudget::newTextBytes(index)))
            return false;
        m_sharedFormulas.insert(index, {text, address});
        return true;
    }

    // XmlRead::text, with the common plain value taken from the pool.
    QString trimmedText(pugi::xml_node node)
    {
        if (!node)
            return {};
        if (const auto bytes = plainText(node))
            return m_pool.text(trimmed(*bytes));
        return XmlRead::text(node);
    }

    // XmlRead::rawText, likewise.
    QString rawText(pugi::xml_node node)
    {
        if (const auto bytes = plainText(node))
            return m_pool.text(*bytes);
        if (const char *text = singleText(node))
            return QString::fromUtf8(text);
        return XmlRead::rawText(node);
    }

    QString sharedString(const QString &index, const QString &otherwise) const
    {
        const auto at = XlsxNodes::listIndex(index, m_sharedStrings.size());
        return at ? m_sharedStrings[*at] : otherwise;
    }

    std::optional<qsizetype> sharedStringIndex(pugi::xml_node v) const
    {
        if (const auto bytes = plainText(v))
            return XlsxNodes::listIndex(trimmed(*bytes), m_sharedStrings.size());
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
            return CellTexts(u'=' + XlsxFunctionNames::fromFile(text), cached);
        // A member of a shared formula group repeats the defining cell's
        // formula moved by the distance between the two, copied in when the
        // sheet is finished (the defining cell may come later); until then,
        // and for good when its group has no defining cell, it holds its
        // cached value as plain value.
        m_pendingMembers.insert(addressKey(address), {XlsxNodes::attribute(f, "si"), address, cached});
        return CellTexts(cached);
    }

    // Copies each group's formula into its members: all of them costed
    // first (the formula's length for each), so a long formula shared by
    // many cells is refused before any copy is made.
    bool resolvePendingMembers()
    {
        qint64 units = 0;
        qint64 bytes = 0;
        for (const PendingMember &member : std::as_const(m_pendingMembers)) {
            const auto defining = m_sharedFormulas.constFind(member.index);
            if (defining == m_sharedFormulas.cend())
                continue;
            // "=" and the formula, then its value as a save counts it.
            units += 1 + defining->text.size() + member.cached.size();
            bytes += 32 + 2 * (1 + qint64(defining->text.size())) + qint64(sizeof(m_otherValues[0]));
        }
        if (!m_budget.takeText(units) || !m_budget.takeMemory(bytes))
            return false;
        for (const PendingMember &member : std::as_const(m_pendingMembers)) {
            const auto defining = m_sharedFormulas.constFind(member.index);
            if (defining == m_sharedFormulas.cend())
                continue;
            CellNotes &notes = m_notes[member.address];
            // The cached value was counted as the cell's text so far.
            m_budget.giveBackText(notes.savedUnits);
            m_textUnits -= notes.savedUnits;
            QString formula = u'=' + XlsxFunctionNames::fromFile(shiftedFormula(*defining, member.address));
            // Moved references may lengthen the text a little.
            const qint64 grown = formula.size() - 1 - defining->text.size();
            if (grown > 0 && !m_budget.takeText(grown))
                return false;
            m_budget.giveBackText(-grown);
            notes.savedUnits = savedUnits(formula, member.cached);
            m_textUnits += notes.savedUnits;
            m_cells[member.address.row][member.address.col] = std::move(formula);
            m_otherValues.emplace_back(member.address, member.cached);
        }
        return true;
    }

    CellTexts cellTexts(const CellNodes &nodes, CellAddress address)
    {
        QByteArray storage;
        const CellType type = cellType(trimmedValue(nodes.t, storage));
        const pugi::xml_node v = nodes.v;
        if (nodes.f) {
            // A cached string result may be kept in the shared strings too;
            // a formula's text result keeps its end blanks, as a <t> does.
            const QString value = type == CellType::FormulaString ? rawText(v)
                                  : type == CellType::Number      ? withoutIntegralZero(trimmedText(v))
                                                                  : trimmedText(v);
            return formulaTexts(nodes.f, type == CellType::SharedString ? sharedString(value, value) : value,
                                address);
        }
        switch (type) {
        case CellType::InlineString:
            if (const pugi::xml_node t = nodes.is.child("t")) {
                return CellTexts(rawText(t));
            }
            if (nodes.is.child("r")) {
                return CellTexts(XlsxNodes::stringItemText(nodes.is));
            }
            break;
        case CellType::SharedString:
            if (v) {
                if (const auto at = sharedStringIndex(v))
                    return CellTexts(m_sharedStrings[*at]);
            }
            return CellTexts(QString(), trimmedText(v));
        case CellType::Number:
            return CellTexts(withoutIntegralZero(trimmedText(v)));
        case CellType::FormulaString:
            return CellTexts(rawText(v));
        case CellType::Other:
            break;
        }
        return CellTexts(trimmedText(v));
    }

    // A later cell at the same place keeps an earlier style unless it has
    // one of its own.
    void noteStyle(pugi::xml_attribute s, CellAddress address)
    {
        if (!s)
            return;
        QByteArray storage;
        const auto format = XlsxNodes::listIndex(trimmedValue(s, storage), m_cellFormats.size());
        if (!format || !m_visibleFormats[size_t(*format)])
            return;
        qint32 &kept = m_notes[address].format;
        if (kept < 0 && !m_budget.takeMemory(XlsxReadBudget::styleEntryBytes))
            return;
        kept = qint32(*format);
    }

    // The styles by reference text, inserted in the map's own order (column
    // letters, then row digits, compared as text) so each goes at its end.
    CellStyleMap styles() const
    {
        // Only the rows and columns holding a style are named and sorted.
        std::vector<bool> styledRows(size_t(m_rows), false), styledColumns(size_t(m_columns), false);
        for (int r = 0; r < m_rows; ++r) {
            for (int c = 0; c < m_columns; ++c) {
                if (m_notes.at(r, c).format >= 0)
                    styledRows[size_t(r)] = styledColumns[size_t(c)] = true;
            }
        }
        const auto sortedNames = [](const std::vector<bool> &styled, const auto &name) {
            std::vector<std::pair<QString, int>> names;
            for (size_t i = 0; i < styled.size(); ++i) {
                if (styled[i])
                    names.emplace_back(name(int(i)), int(i));
            }
            std::sort(names.begin(), names.end());
            return names;
        };
        const auto columns = sortedNames(styledColumns, [](int c) { return CellReference::columnName(c); });
        const auto rows = sortedNames(styledRows, [](int r) { return QString::number(r + 1); });
        CellStyleMap styles;
        for (const auto &[columnName, c] : columns) {
            for (const auto &[rowNumber, r] : rows) {
                const qint32 format = m_notes.at(r, c).format;
                if (format >= 0)
                    styles.insert(styles.cend(), columnName + rowNumber, m_cellFormats[format]);
            }
        }
        return styles;
    }

    // False when the budget has no room for the ranges.
    bool readMerges(pugi::xml_node mergeCells, ExcelSheet &sheet) const
    {
        for (const pugi::xml_node merge : mergeCells.children("mergeCell")) {
            if (!m_budget.takeMemory(qint64(sizeof(ExcelRange))))
                return false;
            const QStringList corners = XlsxNodes::attribute(merge, "ref").split(u':');
            if (corners.size() != 2)
                continue;
            const auto start = XlsxWorksheetReader::parseCellAddress(corners[0], m_rows, m_columns);
            const auto end = XlsxWorksheetReader::parseCellAddress(corners[1], m_rows, m_columns);
            if (start && end)
                sheet.mergedRanges.append(ExcelRange{start->row, start->col, end->row, end->col}.normalized());
        }
        return true;
    }

    const QStringList &m_sharedStrings;
    const QList<CellStyle> &m_cellFormats;
    XlsxReadBudget &m_budget;
    std::vector<bool> m_visibleFormats; // by format: differs from the default style
    CellGrid m_cells; // rows written so far, each at the readers' full width, until finished
    std::vector<bool> m_writtenRows;
    qint64 m_writtenRowCount = 0;
    std::vector<std::pair<CellAddress, QString>> m_otherValues; // values unlike the cell's text
    CellNotesGrid m_notes;
    qint64 m_textUnits = 0;
    TextPool m_pool; // keys point into the parsed part
    QHash<QString, SharedFormula> m_sharedFormulas; // by "si", the first defining cell
    QHash<quint32, PendingMember> m_pendingMembers; // by address; a later cell there replaces its member
    int m_rows = GridLimits::defaultRowCount;
    int m_columns = GridLimits::defaultColumnCount;
};

} // namespace

std::optional<ExcelSheet> XlsxWorksheetReader::read(pugi::xml_node worksheet, const QString &name,
                                                    const QStringList &sharedStrings,
                                                    const QList<CellStyle> &cellFormats, XlsxReadBudget &budget,
                                                    qint64 *textUnits)
{
    SheetBuilder builder(sharedStrings, cellFormats, budget);
    builder.addRows(worksheet.child("sheetData"));
    std::optional<ExcelSheet> sheet = builder.finish(worksheet, name);
    if (textUnits)
        *textUnits = builder.textUnits();
    return sheet;
}

std::optional<ExcelSheet> XlsxWorksheetReader::readInPieces(QByteArray &part, const QString &name,
                                                           const QStringList &sharedStrings,
                                                           const QList<CellStyle> &cellFormats,
                                                           XlsxReadBudget &budget, qint64 *textUnits,
                                                           qsizetype pieceSize)
{
    const auto pieces = XmlPieces::find(part, XmlPieces::Container::ChildOfRoot, "sheetData", "row", pieceSize);
    if (!pieces)
        return std::nullopt;
    // The trees parsed, the part around the rows whole and a piece of rows
    // at a time, are taken while they live.
    const qint64 trees = pieces->parseBytes(part);
    if (!budget.takeMemory(trees))
        return std::nullopt;
    const auto giveBack = qScopeGuard([&] { budget.giveBackMemory(trees); });
    SheetBuilder builder(sharedStrings, cellFormats, budget);
    pugi::xml_document worksheet; // without its rows, for the merges
    if (!pieces->parse(part, worksheet, [&](pugi::xml_node rows) { builder.addRows(rows); }))
        return std::nullopt;
    std::optional<ExcelSheet> sheet = builder.finish(worksheet.document_element(), name);
    if (textUnits)
        *textUnits = builder.textUnits();
    return sheet;
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
