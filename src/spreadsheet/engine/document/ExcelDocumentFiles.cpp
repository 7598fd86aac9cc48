// The document's file operations: XLSX/XLTX writing and reading, Lotus reading.
#include "spreadsheet/engine/document/ExcelDocument.h"

#include "spreadsheet/engine/files/CsvFormat.h"
#include "spreadsheet/engine/files/LotusParser.h"
#include "spreadsheet/engine/xlsx/XlsxReader.h"
#include "spreadsheet/engine/xlsx/XlsxWriter.h"
#include "platform/FileBytes.h"
#include "platform/TextEncoding.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <vector>

namespace {

// The Lotus cells on a grid at least `rows` × `columns`, grown to the cells
// up to the readers' limit; cells beyond it are dropped. The records are
// walked where they lie and only the last one of each place is decoded, so
// millions of records cost no more than the grid they land on.
CellGrid lotusGrid(const QByteArray &data, int rows, int columns)
{
    constexpr int maxRows = ExcelDocument::maxRowCount;
    constexpr int maxColumns = ExcelDocument::maxColumnCount;
    std::vector<LotusRecord> lastRecords(size_t(maxRows) * maxColumns); // opcode 0: none
    LotusParser().forEachCell(data, [&](const LotusRecord &record) {
        if (record.row >= maxRows || record.col >= maxColumns)
            return;
        rows = std::max(rows, record.row + 1);
        columns = std::max(columns, record.col + 1);
        lastRecords[size_t(record.row) * maxColumns + record.col] = record;
    });
    CellGrid grid = makeEmptyGrid(rows, columns);
    for (int r = 0; r < std::min(rows, maxRows); ++r) {
        for (int c = 0; c < std::min(columns, maxColumns); ++c) {
            const LotusRecord &record = lastRecords[size_t(r) * maxColumns + c];
            if (record.opcode != 0)
                grid[r][c] = LotusParser::cellText(record);
        }
    }
    return grid;
}

bool hasTextControls(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c.unicode() == 0x7F;
    });
}

// This system's own "Lotus 1-2-3 (.wk1)" save writes CSV text (CP932, or
// UTF-8 when CP932 cannot hold it); such a file has no beginning-of-file
// record, and decodes strictly to text without control characters.
bool isCsvText(const QString &path, const QByteArray &data)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("wk1"), Qt::CaseInsensitive) != 0
        || LotusParser::hasBeginningOfFile(data))
        return false;
    QStringDecoder strictUtf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString utf8 = strictUtf8.decode(data);
    if (!strictUtf8.hasError())
        return !hasTextControls(utf8);
    const auto cp932 = TextEncoding::decodeCp932(data);
    return cp932 && !hasTextControls(*cp932);
}

// The text of such a file, decoded as the save encoded it. UTF-8 bytes often
// decode as CP932 too ("é" reads as two half-width katakana), so UTF-8 whose
// text CP932 cannot hold, which is exactly what the save falls back to, is
// recognised first.
QString csvText(const QByteArray &data)
{
    QStringDecoder strictUtf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString utf8 = strictUtf8.decode(data);
    if (!strictUtf8.hasError() && !TextEncoding::encodeCp932(utf8))
        return utf8;
    const auto cp932 = TextEncoding::decodeCp932(data);
    return cp932 ? *cp932 : QString::fromUtf8(data);
}

} // namespace

bool ExcelDocument::exportXLSX(const QString &path, ExcelError *error)
{
    saveCurrentSheet();
    return XlsxWriter(m_sheets, XlsxWriter::kindForPath(path)).write(path, error);
}

bool ExcelDocument::importXLSX(const QString &path, ExcelError *error)
{
    auto sheets = XlsxReader::read(path, error);
    if (!sheets)
        return false;
    replaceSheets(std::move(*sheets));
    return true;
}

bool ExcelDocument::importLotus(const QString &path, ExcelError *error)
{
    // Its cells take several times the file's size in memory; no worksheet
    // comes near the limit.
    QString message;
    const std::optional<QByteArray> bytes = FileBytes::read(path, maxLotusFileSize, &message);
    if (!bytes) {
        if (error)
            *error = excelError(0, message);
        return false;
    }
    const QByteArray &data = *bytes;
    // Text is decoded whole, several times its size: a large file without
    // the beginning record is no sheet of this program's.
    if (!LotusParser::hasBeginningOfFile(data) && data.size() > CsvFormat::maxFileSize) {
        if (error)
            *error = excelError(0, path + QStringLiteral(": not a Lotus 1-2-3 worksheet, and too large for CSV text"));
        return false;
    }
    const bool csv = isCsvText(path, data);
    if (!csv && !LotusParser::hasBeginningOfFile(data)) {
        if (error)
            *error = excelError(0, path + QStringLiteral(": not a Lotus 1-2-3 worksheet"));
        return false;
    }
    CellGrid grid = csv ? CsvFormat::read(csvText(data))
                        : lotusGrid(data, rowCount(), columnCount());
    clearSheet();
    setCells(std::move(grid));
    markUnsaved();
    recalculate();
    return true;
}
