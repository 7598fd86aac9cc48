#include "spreadsheet/engine/ExcelDocument.h"
#include "platform/AppState.h"

#include <QSignalSpy>
#include <QTest>

class TestExcelDocument : public QObject
{
    Q_OBJECT
private slots:
    void newDocumentHasOneEmptySheet();
};

void TestExcelDocument::newDocumentHasOneEmptySheet()
{
    AppState::shared().setHasUnsavedChanges(AppState::Editor::Spreadsheet, false);
    ExcelDocument document;
    QCOMPARE(document.sheets().size(), 1);
    QCOMPARE(document.sheets().first().name, QStringLiteral("Sheet1"));
    QCOMPARE(document.rowCount(), 100);
    QCOMPARE(document.columnCount(), 50);
    QVERIFY(!AppState::shared().hasUnsavedChanges());
    document.setCell(0, 0, QStringLiteral("45000"));
    document.setCell(0, 1, QStringLiteral("=SUM(A1,1)"));
    QVERIFY(AppState::shared().hasUnsavedChanges());
    QTRY_COMPARE(document.evaluatedCell(0, 1), QStringLiteral("木"));
    QCOMPARE(document.evaluatedCell(0, 0), QStringLiteral("3/15"));
}

QTEST_GUILESS_MAIN(TestExcelDocument)
#include "tst_exceldocument.moc"
