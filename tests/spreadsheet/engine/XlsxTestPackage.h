#pragma once

// Helpers shared by the XLSX tests: packages as maps of part name to bytes.

#include "platform/ScratchRoot.h"
#include "platform/TemporaryFolder.h"
#include "platform/ZipArchive.h"
#include "spreadsheet/engine/ExcelSheet.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

namespace XlsxTestPackage {

using Parts = QMap<QString, QByteArray>;

inline Parts readFolder(const QString &folder)
{
    Parts parts;
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            parts.insert(root.relativeFilePath(path), file.readAll());
    }
    return parts;
}

// The parts of an archive; empty when it cannot be unpacked.
inline Parts unzip(const QString &archive)
{
    TemporaryFolder folder;
    QString error;
    if (!ZipArchive::unzipToFolder(archive, folder.path(), &error))
        return {};
    return readFolder(folder.path());
}

// Zips `parts` (deflated, like most producers) into `archive`.
inline bool zip(const Parts &parts, const QString &archive)
{
    TemporaryFolder folder;
    QString error;
    for (auto it = parts.cbegin(); it != parts.cend(); ++it) {
        const QString path = folder.filePath(it.key());
        QFile file(path);
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !file.open(QIODevice::WriteOnly)
            || file.write(it.value()) != it.value().size())
            return false;
    }
    return ZipArchive::zipFolder(folder.path(), archive, ZipArchive::Compression::Deflated, &error);
}

// A sheet named `name` whose raw grid is `rows` (ragged rows padded with ""),
// at least `minRows` × `minColumns`; the value grids are empty.
inline ExcelSheet sheet(const QString &name, const QList<QStringList> &rows, int minRows = 1,
                        int minColumns = 1)
{
    int columns = minColumns;
    for (const QStringList &row : rows)
        columns = std::max(columns, int(row.size()));
    ExcelSheet sheet;
    sheet.id = QUuid::createUuid();
    sheet.name = name;
    sheet.cells = makeEmptyGrid(std::max(minRows, int(rows.size())), columns);
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c)
            sheet.cells[r][c] = rows[r][c];
    }
    sheet.evaluatedCells = makeEmptyGrid(sheet.cells.size(), columns);
    sheet.cachedEvaluatedCells = sheet.evaluatedCells;
    return sheet;
}

// What the temporary directory holds besides the folder at `ownPath`: the
// folders a reader or writer failed to remove.
inline QStringList temporaryLeftovers(const QString &ownPath)
{
    const auto filter = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;
    QStringList entries = QDir::temp().entryList(filter);
    entries.removeAll(QFileInfo(ownPath).fileName());
    // The application's scratch root holds this process's folder, which
    // holds its lock and nothing else once every scratch folder is gone.
    entries.removeAll(QFileInfo(ScratchRoot::rootPath()).fileName());
    entries += QDir(ScratchRoot::rootPath()).entryList(filter);
    entries.removeAll(QFileInfo(ScratchRoot::processFolder()).fileName());
    entries += QDir(ScratchRoot::processFolder()).entryList(filter);
    entries.removeAll(QStringLiteral("owner.lock"));
    return entries;
}

// Runs a QtTest object with the temporary directory (TMPDIR) set to a fresh
// "tmp" folder of its own inside a private folder, so a test sees every
// folder left behind and every file a hostile package puts beside it.
template<typename Test>
int runWithPrivateTemporaryDirectory(int argc, char **argv)
{
    // Static, so it outlives the process's scratch folder, which goes at exit.
    static QTemporaryDir temporary;
    QDir(temporary.path()).mkdir(QStringLiteral("tmp"));
    qputenv("TMPDIR", (temporary.path() + QStringLiteral("/tmp")).toLocal8Bit());
    QCoreApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace XlsxTestPackage
