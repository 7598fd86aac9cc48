#include "spreadsheet/engine/document/WorkbookFiles.h"

#include "platform/FileBytes.h"
#include "platform/FileMessage.h"
#include "platform/SafeSave.h"
#include "platform/TextEncoding.h"
#include "platform/UserFolders.h"
#include "spreadsheet/engine/files/CsvFormat.h"
#include "spreadsheet/engine/document/ExcelDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

QString lowerSuffix(const QString &path)
{
    return QFileInfo(path).suffix().toLower();
}

bool readCsvText(const QString &path, QString *text, QString *error)
{
    const std::optional<QByteArray> bytes = FileBytes::read(path, CsvFormat::maxFileSize, error);
    if (!bytes)
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8);
    *text = decoder(*bytes);
    if (decoder.hasError()) {
        *error = QStringLiteral("'%1' is not UTF-8 text").arg(path);
        return false;
    }
    return true;
}

bool openCsv(ExcelDocument &document, const QString &path, QString *error)
{
    QString text;
    if (!readCsvText(path, &text, error))
        return false;
    // The grid alone: the document recalculates it once after the write.
    CellGrid cells = CsvFormat::read(text);
    document.clearSheet();
    document.setCells(std::move(cells));
    return true;
}

} // namespace

namespace WorkbookFiles {

QStringList openableFiles(const QString &folder, QString *error)
{
    static const QStringList extensions = {QStringLiteral("csv"), QStringLiteral("xlsx"),
                                           QStringLiteral("xltx"), QStringLiteral("wk1"),
                                           QStringLiteral("123")};
    const UserFolders::Listing listing = UserFolders::list(folder);
    if (!listing.ok()) {
        *error = listing.error;
        return {};
    }
    QStringList paths;
    const QDir dir(folder);
    for (const QString &name : listing.names) {
        if (extensions.contains(lowerSuffix(name)))
            paths.append(dir.filePath(name));
    }
    return paths;
}

QString saveTarget(const QString &folder, const QString &fileName, ExcelFileFormat format,
                   QString *error)
{
    if (!SafeSave::checkFileName(fileName, error))
        return {};
    return QDir(folder).filePath(fileName + QLatin1Char('.') + excelFileFormatExtension(format));
}

bool save(ExcelDocument &document, const QString &path, ExcelFileFormat format, QString *error)
{
    switch (format) {
    case ExcelFileFormat::Csv:
        return SafeSave::writeFile(path, document.exportCSV().toUtf8(), error);
    case ExcelFileFormat::Wk1: {
        const QString csv = document.exportCSV();
        const std::optional<QByteArray> cp932 = TextEncoding::encodeCp932(csv);
        return SafeSave::writeFile(path, cp932 ? *cp932 : csv.toUtf8(), error);
    }
    case ExcelFileFormat::Xlsx:
    case ExcelFileFormat::Xltx: {
        ExcelError excelError;
        if (document.exportXLSX(path, &excelError))
            return true;
        *error = excelError.toString();
        return false;
    }
    }
    return false;
}

bool open(ExcelDocument &document, const QString &path, QString *error)
{
    const QString suffix = lowerSuffix(path);
    QString reason;
    bool ok = false;
    if (suffix == QLatin1String("csv")) {
        ok = openCsv(document, path, &reason);
    } else {
        ExcelError excelError;
        ok = suffix == QLatin1String("wk1") || suffix == QLatin1String("123")
                 ? document.importLotus(path, &excelError)
                 : document.importXLSX(path, &excelError);
        reason = excelError.toString();
    }
    if (!ok)
        *error = FileMessage::cannotOpen(path, reason);
    return ok;
}

} // namespace WorkbookFiles
