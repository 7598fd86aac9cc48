#include "spreadsheet/engine/EngineTestSupport.h"

#include "spreadsheet/engine/document/ExcelDocument.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(ExcelRange)

namespace {

enum class Operation { InsertRow, DeleteRow, InsertColumn, DeleteColumn };

void apply(ExcelDocument &document, Operation operation, int index)
{
    switch (operation) {
    case Operation::InsertRow:
        return document.insertRow(index);
    case Operation::DeleteRow:
        return document.deleteRow(index);
    case Operation::InsertColumn:
        return document.insertColumn(index);
    case Operation::DeleteColumn:
        return document.deleteColumn(index);
    }
}

// "B2:C3" → the range; both corners must parse.
ExcelRange range(const QString &text)
{
    const auto first = CellReference::parse(text.section(u':', 0, 0));
    const auto second = CellReference::parse(text.section(u':', 1, 1));
    Q_ASSERT(first && second);
    return {first->row, first->col, second->row, second->col};
}

QList<ExcelRange> ranges(const QString &texts)
{
    QList<ExcelRange> list;
    for (const QString &text : texts.split(u' ', Qt::SkipEmptyParts))
        list.append(range(text));
    return list;
}

} // namespace

Q_DECLARE_METATYPE(Operation)

class TestExcelStructure : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void mergeRemovesOverlaps();
    void mergeNormalisesAndEmptiesCoveredCells();
    void mergeIsClippedToTheGrid_data();
    void mergeIsClippedToTheGrid();
    void mergedRangeTakesTheFirst();
    void unmergeOfUnmergedCellStillAnnounces();
    void unmergeRangeRemovesEveryTouchingMerge();
    void outOfRangeOperationsChangeNothing_data();
    void outOfRangeOperationsChangeNothing();
    void operationsWriteTheGridOnce_data();
    void operationsWriteTheGridOnce();
    void styleKeysMove_data();
    void styleKeysMove();
    void mergesMove_data();
    void mergesMove();
    void formulasAreNotRewritten();
    void gridShapesFollow_data();
    void gridShapesFollow();
    void newObjectDefaults_data();
    void newObjectDefaults();
    void removeAndUpdateObjects();
};

void TestExcelStructure::init()
{
    drainDeferredWork();
    setUnsaved(false);
}

void TestExcelStructure::mergeRemovesOverlaps()
{
    ExcelDocument document;
    document.setMergedRanges(ranges("B2:B2 D4:E5"));
    document.mergeCells(1, 1, 2, 2); // B2:C3
    QCOMPARE(document.mergedRanges(), ranges("D4:E5 B2:C3"));
    document.mergeCells(2, 2, 3, 3); // C3:D4 shares C3 and D4
    QCOMPARE(document.mergedRanges(), ranges("C3:D4"));
}

void TestExcelStructure::mergeNormalisesAndEmptiesCoveredCells()
{
    ExcelDocument document;
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 5; ++c)
            document.setCell(r, c, QString::number(r * 10 + c));
    }
    document.setCachedEvaluatedCells(gridFromEntries("C3=kept", 100, 50));
    drainDeferredWork();
    setUnsaved(false);
    QSignalSpy changedSpy(&document, &ExcelDocument::changed);
    document.mergeCells(3, 3, 1, 1);
    QCOMPARE(document.mergedRanges(), (QList<ExcelRange>{{1, 1, 3, 3}}));
    QVERIFY(unsaved());
    QCOMPARE(changedSpy.count(), 1);
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 5; ++c) {
            const bool covered = r >= 1 && r <= 3 && c >= 1 && c <= 3 && !(r == 1 && c == 1);
            const QString expected = covered ? QString() : QString::number(r * 10 + c);
            QCOMPARE(document.cell(r, c), expected);
            QCOMPARE(document.evaluatedCell(r, c), expected);
        }
    }
    QCOMPARE(document.cachedEvaluatedCells().at(2).at(2), QStringLiteral("kept"));
    document.unmergeCells(2, 2);
    QVERIFY(document.mergedRanges().isEmpty());
    QCOMPARE(document.cell(2, 2), QString());
    drainDeferredWork();
    QCOMPARE(document.sheets().first().cells.at(2).at(2), QString());
}

void TestExcelStructure::mergeIsClippedToTheGrid_data()
{
    QTest::addColumn<ExcelRange>("requested");
    QTest::addColumn<QList<ExcelRange>>("stored");
    QTest::newRow("one cell") << ExcelRange{4, 4, 4, 4} << QList<ExcelRange>{{4, 4, 4, 4}};
    QTest::newRow("past the corner") << ExcelRange{98, 48, 105, 60} << QList<ExcelRange>{{98, 48, 99, 49}};
    QTest::newRow("negative corner") << ExcelRange{-3, -3, 1, 1} << QList<ExcelRange>{{0, 0, 1, 1}};
    QTest::newRow("wholly outside") << ExcelRange{100, 0, 120, 3} << QList<ExcelRange>{};
}

void TestExcelStructure::mergeIsClippedToTheGrid()
{
    QFETCH(ExcelRange, requested);
    QFETCH(QList<ExcelRange>, stored);
    ExcelDocument document;
    document.mergeCells(requested.startRow, requested.startCol, requested.endRow, requested.endCol);
    QCOMPARE(document.mergedRanges(), stored);
    QCOMPARE(unsaved(), !stored.isEmpty());
}

void TestExcelStructure::mergedRangeTakesTheFirst()
{
    ExcelDocument document;
    document.setMergedRanges(ranges("A1:C3 B2:D4"));
    QCOMPARE(document.mergedRange(1, 1), std::optional<ExcelRange>(range("A1:C3")));
    QCOMPARE(document.mergedRange(3, 3), std::optional<ExcelRange>(range("B2:D4")));
    QCOMPARE(document.mergedRange(5, 5), std::nullopt);
}

void TestExcelStructure::unmergeOfUnmergedCellStillAnnounces()
{
    ExcelDocument document;
    document.setCell(0, 0, "=SUM(A1,1)");
    drainDeferredWork();
    setUnsaved(false);
    QSignalSpy evaluatedSpy(&document, &ExcelDocument::evaluatedCellsChanged);
    QSignalSpy changedSpy(&document, &ExcelDocument::changed);
    document.unmergeCells(7, 7);
    QVERIFY(unsaved());
    QCOMPARE(changedSpy.count(), 1);
    QCOMPARE(evaluatedSpy.count(), 1);
    QCOMPARE(document.evaluatedCell(0, 0), QStringLiteral("2"));
}

void TestExcelStructure::unmergeRangeRemovesEveryTouchingMerge()
{
    ExcelDocument document;
    document.setMergedRanges(ranges("A1:B2 C3:D4 F6:G7 H1:H1"));
    QSignalSpy evaluatedSpy(&document, &ExcelDocument::evaluatedCellsChanged);
    document.unmergeRange(range("D4:B2"));
    QCOMPARE(document.mergedRanges(), ranges("F6:G7 H1:H1"));
    QCOMPARE(evaluatedSpy.count(), 1);
    QVERIFY(unsaved());
}

void TestExcelStructure::outOfRangeOperationsChangeNothing_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::newRow("insert row past the end") << Operation::InsertRow << 101 << 100 << 50;
    QTest::newRow("insert row before the start") << Operation::InsertRow << -1 << 100 << 50;
    QTest::newRow("delete row at the count") << Operation::DeleteRow << 100 << 100 << 50;
    QTest::newRow("delete the only row") << Operation::DeleteRow << 0 << 1 << 50;
    QTest::newRow("insert column past the end") << Operation::InsertColumn << 51 << 100 << 50;
    QTest::newRow("delete column before the start") << Operation::DeleteColumn << -1 << 100 << 50;
    QTest::newRow("delete the only column") << Operation::DeleteColumn << 0 << 100 << 1;
}

void TestExcelStructure::outOfRangeOperationsChangeNothing()
{
    QFETCH(Operation, operation);
    QFETCH(int, index);
    QFETCH(int, rows);
    QFETCH(int, columns);
    ExcelDocument document;
    document.setCells(makeEmptyGrid(rows, columns));
    document.setCellStyle("A1", CellStyle{true, false, {}, {}});
    drainDeferredWork();
    setUnsaved(false);
    QSignalSpy cellsSpy(&document, &ExcelDocument::cellsChanged);
    apply(document, operation, index);
    QCOMPARE(cellsSpy.count(), 0);
    QVERIFY(!unsaved());
    QCOMPARE(document.rowCount(), rows);
    QCOMPARE(document.columnCount(), columns);
    QCOMPARE(document.cellStyles().keys(), QStringList{"A1"});
}

void TestExcelStructure::operationsWriteTheGridOnce_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("index");
    QTest::newRow("insert row") << Operation::InsertRow << 3;
    QTest::newRow("append row") << Operation::InsertRow << 100;
    QTest::newRow("delete row") << Operation::DeleteRow << 3;
    QTest::newRow("insert column") << Operation::InsertColumn << 0;
    QTest::newRow("append column") << Operation::InsertColumn << 50;
    QTest::newRow("delete column") << Operation::DeleteColumn << 49;
}

void TestExcelStructure::operationsWriteTheGridOnce()
{
    QFETCH(Operation, operation);
    QFETCH(int, index);
    ExcelDocument document;
    drainDeferredWork();
    QSignalSpy cellsSpy(&document, &ExcelDocument::cellsChanged);
    QSignalSpy evaluatedSpy(&document, &ExcelDocument::evaluatedCellsChanged);
    QSignalSpy sheetsSpy(&document, &ExcelDocument::sheetsChanged);
    apply(document, operation, index);
    QCOMPARE(cellsSpy.count(), 1);
    QCOMPARE(evaluatedSpy.count(), 1);
    QVERIFY(unsaved());
    drainDeferredWork();
    QCOMPARE(evaluatedSpy.count(), 1); // already recalculated: the deferred task only saves
    QCOMPARE(sheetsSpy.count(), 1);
    QCOMPARE(document.sheets().first().cells, document.cells());
}

void TestExcelStructure::styleKeysMove_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after"); // "" when dropped
    QTest::newRow("row insert above moves down") << Operation::InsertRow << 0 << "B3" << "B4";
    QTest::newRow("row insert at the key's row") << Operation::InsertRow << 2 << "B3" << "B4";
    QTest::newRow("row insert below keeps") << Operation::InsertRow << 3 << "B3" << "B3";
    QTest::newRow("last row moves past the old end") << Operation::InsertRow << 0 << "A100" << "A101";
    QTest::newRow("row delete above moves up") << Operation::DeleteRow << 4 << "A100" << "A99";
    QTest::newRow("row delete of the key's row") << Operation::DeleteRow << 99 << "A100" << "";
    QTest::newRow("row delete below keeps") << Operation::DeleteRow << 5 << "B3" << "B3";
    QTest::newRow("column insert left moves right") << Operation::InsertColumn << 1 << "B3" << "C3";
    QTest::newRow("column insert right keeps") << Operation::InsertColumn << 1 << "A3" << "A3";
    QTest::newRow("column delete of the key's column") << Operation::DeleteColumn << 1 << "B3" << "";
    QTest::newRow("column delete left moves left") << Operation::DeleteColumn << 1 << "C3" << "B3";
    QTest::newRow("two-letter column moves") << Operation::DeleteColumn << 0 << "AA7" << "Z7";
    QTest::newRow("non-canonical key moves canonical") << Operation::InsertRow << 0 << "b03" << "B4";
    QTest::newRow("non-canonical key above stays") << Operation::InsertRow << 5 << "b03" << "b03";
    QTest::newRow("invalid key stays") << Operation::DeleteRow << 0 << "Total" << "Total";
    QTest::newRow("key outside the grid stays") << Operation::DeleteRow << 0 << "A500" << "A500";
}

void TestExcelStructure::styleKeysMove()
{
    QFETCH(Operation, operation);
    QFETCH(int, index);
    QFETCH(QString, before);
    QFETCH(QString, after);
    ExcelDocument document;
    const CellStyle style{true, false, QStringLiteral("#112233"), {}};
    document.setCellStyles({{before, style}});
    QSignalSpy stylesSpy(&document, &ExcelDocument::cellStylesChanged);
    apply(document, operation, index);
    QCOMPARE(stylesSpy.count(), 1);
    QCOMPARE(document.cellStyles().keys(), after.isEmpty() ? QStringList() : QStringList{after});
    if (!after.isEmpty())
        QCOMPARE(document.cellStyles().value(after), style);
}

void TestExcelStructure::mergesMove_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after"); // "" when the merge goes
    QTest::newRow("row insert above shifts") << Operation::InsertRow << 0 << "B2:C3" << "B3:C4";
    QTest::newRow("row insert at the top shifts") << Operation::InsertRow << 1 << "B2:C3" << "B3:C4";
    QTest::newRow("row insert inside grows") << Operation::InsertRow << 2 << "B2:C3" << "B2:C4";
    QTest::newRow("row insert below keeps") << Operation::InsertRow << 3 << "B2:C3" << "B2:C3";
    QTest::newRow("row delete above shifts") << Operation::DeleteRow << 0 << "B2:C3" << "B1:C2";
    QTest::newRow("row delete inside shrinks") << Operation::DeleteRow << 1 << "B2:C3" << "B2:C2";
    QTest::newRow("row delete of all its rows") << Operation::DeleteRow << 1 << "B2:C2" << "";
    QTest::newRow("column insert inside grows") << Operation::InsertColumn << 2 << "B2:C3" << "B2:D3";
    QTest::newRow("column insert left shifts") << Operation::InsertColumn << 0 << "B2:C3" << "C2:D3";
    QTest::newRow("column delete inside shrinks") << Operation::DeleteColumn << 2 << "B2:C3" << "B2:B3";
    QTest::newRow("column delete of all its columns") << Operation::DeleteColumn << 1 << "B2:B9" << "";
    QTest::newRow("reversed range is normalised") << Operation::InsertRow << 0 << "C3:B2" << "B3:C4";
    QTest::newRow("range beyond the grid is clipped") << Operation::InsertRow << 0 << "A99:B120" << "A100:B101";
    QTest::newRow("range outside the grid goes") << Operation::DeleteRow << 0 << "A150:B160" << "";
}

void TestExcelStructure::mergesMove()
{
    QFETCH(Operation, operation);
    QFETCH(int, index);
    QFETCH(QString, before);
    QFETCH(QString, after);
    ExcelDocument document;
    document.setMergedRanges({range(before)});
    QSignalSpy mergesSpy(&document, &ExcelDocument::mergedRangesChanged);
    apply(document, operation, index);
    QCOMPARE(mergesSpy.count(), 1);
    QCOMPARE(document.mergedRanges(), after.isEmpty() ? QList<ExcelRange>() : ranges(after));
}

void TestExcelStructure::formulasAreNotRewritten()
{
    ExcelDocument document;
    document.setCells(gridFromEntries("A1=1|A2=2|A3=4|B1==SUM(A1:A3)", 100, 50));
    drainDeferredWork();
    QCOMPARE(document.evaluatedCell(0, 1), QStringLiteral("7"));
    document.insertRow(0);
    QCOMPARE(document.cell(1, 1), QStringLiteral("=SUM(A1:A3)"));
    QCOMPARE(document.evaluatedCell(1, 1), QStringLiteral("3"));
    QCOMPARE(document.evaluatedCell(0, 1), QString());
}

void TestExcelStructure::gridShapesFollow_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::newRow("insert row") << Operation::InsertRow << 101 << 50;
    QTest::newRow("delete row") << Operation::DeleteRow << 99 << 50;
    QTest::newRow("insert column") << Operation::InsertColumn << 100 << 51;
    QTest::newRow("delete column") << Operation::DeleteColumn << 100 << 49;
}

void TestExcelStructure::gridShapesFollow()
{
    QFETCH(Operation, operation);
    QFETCH(int, rows);
    QFETCH(int, columns);
    ExcelDocument document;
    document.setCell(4, 4, "x");
    document.setCachedEvaluatedCells(gridFromEntries("E5=cached", 100, 50));
    apply(document, operation, 2);
    QVERIFY(hasShape(document.cells(), rows, columns));
    QVERIFY(hasShape(document.evaluatedCells(), rows, columns));
    QVERIFY(hasShape(document.cachedEvaluatedCells(), rows, columns));
    const int r = operation == Operation::InsertRow ? 5 : operation == Operation::DeleteRow ? 3 : 4;
    const int c = operation == Operation::InsertColumn ? 5 : operation == Operation::DeleteColumn ? 3 : 4;
    QCOMPARE(document.cell(r, c), QStringLiteral("x"));
    QCOMPARE(document.evaluatedCell(r, c), QStringLiteral("x"));
    QCOMPARE(document.cachedEvaluatedCells().at(r).at(c), QStringLiteral("cached"));
}

void TestExcelStructure::newObjectDefaults_data()
{
    QTest::addColumn<ExcelObjectType>("type");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<QString>("color");
    QTest::addColumn<QString>("text");
    QTest::newRow("rectangle") << ExcelObjectType::Rectangle << 100.0 << 100.0 << "#34C759" << "";
    QTest::newRow("circle") << ExcelObjectType::Circle << 100.0 << 100.0 << "#34C759" << "";
    QTest::newRow("text box") << ExcelObjectType::TextBox << 150.0 << 60.0 << "#FFFFFF" << "テキスト入力...";
}

void TestExcelStructure::newObjectDefaults()
{
    QFETCH(ExcelObjectType, type);
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(QString, color);
    QFETCH(QString, text);
    ExcelDocument document;
    document.addObject(ExcelObjectType::Rectangle);
    const ExcelObject object = document.addObject(type);
    QVERIFY(unsaved());
    QCOMPARE(document.objects().size(), 2);
    QCOMPARE(document.objects().last(), object); // drawn on top
    QVERIFY(object.id != document.objects().first().id);
    QCOMPARE(object.type, type);
    QCOMPARE(object.x, 100.0);
    QCOMPARE(object.y, 100.0);
    QCOMPARE(object.width, width);
    QCOMPARE(object.height, height);
    QCOMPARE(object.colorHex, color);
    QCOMPARE(object.text, text);
}

void TestExcelStructure::removeAndUpdateObjects()
{
    ExcelDocument document;
    ExcelObject shared = makeExcelObject(ExcelObjectType::Circle);
    const ExcelObject other = makeExcelObject(ExcelObjectType::TextBox);
    document.setObjects({shared, other, shared});
    QVERIFY(!unsaved());
    shared.x = 5;
    document.updateObject(shared);
    QCOMPARE(document.objects().first().x, 5.0);
    QVERIFY(unsaved());
    setUnsaved(false);
    document.updateObject(makeExcelObject(ExcelObjectType::Circle));
    QVERIFY(!unsaved());
    document.removeObject(shared.id);
    QCOMPARE(document.objects(), QList<ExcelObject>{other});
    QVERIFY(unsaved());
    setUnsaved(false);
    document.removeObject(QUuid::createUuid());
    QCOMPARE(document.objects().size(), 1);
    QVERIFY(unsaved());
}

QTEST_GUILESS_MAIN(TestExcelStructure)
#include "tst_excelstructure.moc"
