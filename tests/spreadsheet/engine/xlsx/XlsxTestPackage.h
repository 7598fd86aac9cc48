#pragma once

// Helpers shared by the XLSX tests: packages as maps of part name to bytes.

#include "support/TestPackageParts.h"
#include "spreadsheet/engine/model/ExcelSheet.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

namespace XlsxTestPackage {

using namespace TestPackageParts;

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
