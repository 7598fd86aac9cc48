// Seeded mutation fuzzing of the CSV reader and the formula evaluator: hostile
// text must never crash, hang or break the grid's shape, and CSV must read
// back what it wrote.
#include "spreadsheet/engine/model/CellReference.h"
#include "support/FuzzRun.h"
#include "spreadsheet/engine/files/CsvFormat.h"
#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/formula/FormulaEvaluator.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

constexpr quint32 seed = 20261207;

const QList<QChar> &interestingCharacters()
{
    static const QList<QChar> characters = [] {
        QList<QChar> list;
        for (const QChar c : QStringLiteral("\",\n\r ():=!$.-+eE0123456789ABZazx日\t"))
            list.append(c);
        list << QChar(0xFEFF) << QChar(0x2028) << QChar(0x85) << QChar(0xA0) << QChar(0);
        return list;
    }();
    return characters;
}

// One to four random edits: insert, delete, replace or duplicate a slice.
QString mutate(QString text, QRandomGenerator &random)
{
    const auto &alphabet = interestingCharacters();
    const int edits = 1 + random.bounded(4);
    for (int i = 0; i < edits; ++i) {
        const int position = text.isEmpty() ? 0 : random.bounded(int(text.size()) + 1);
        switch (random.bounded(4)) {
        case 0:
            text.insert(position, alphabet.at(random.bounded(int(alphabet.size()))));
            break;
        case 1:
            if (position < text.size())
                text.remove(position, 1 + random.bounded(3));
            break;
        case 2:
            if (position < text.size())
                text[position] = alphabet.at(random.bounded(int(alphabet.size())));
            break;
        default:
            text.insert(position, text.mid(position, random.bounded(12)));
            break;
        }
    }
    return text.left(4000);
}

// The grid without empty texts at the ends of rows and empty rows at the end:
// reading pads them back, and the check stays fast.
CellGrid withoutTrailingEmpties(CellGrid grid)
{
    for (QStringList &row : grid) {
        while (!row.isEmpty() && row.last().isEmpty())
            row.removeLast();
    }
    while (!grid.isEmpty() && grid.last().isEmpty())
        grid.removeLast();
    return grid;
}

template<typename Check>
void fuzz(int suiteCases, const QStringList &corpus, Check check)
{
    QRandomGenerator random(seed);
    FuzzRun run(suiteCases);
    while (run.next()) {
        QString text = corpus.at(random.bounded(int(corpus.size())));
        for (int round = random.bounded(6); round >= 0; --round)
            text = mutate(text, random);
        check(text);
    }
    qInfo("%d inputs", run.cases());
}

} // namespace

class TestEngineFuzz : public QObject
{
    Q_OBJECT
private slots:
    void csvReadsBackWhatItWrites();
    void formulasNeverBreakTheGrid();
    void referencesReadBackCanonically();
};

void TestEngineFuzz::csvReadsBackWhatItWrites()
{
    const QStringList corpus{
        "a,b\nc", "\"x,y\",\"q\"\"r\"\n1,2\r\n", "\"one\ntwo\",z", " \"x\" ,y,,\n", "\"unclosed,a\nb",
        QString(QChar(0xFEFF)) + "h1,h2\n=SUM(A1:B1),3"};
    fuzz(300, corpus, [](const QString &text) {
        const CellGrid grid = CsvFormat::read(text);
        QVERIFY(grid.size() >= 100 && grid.size() <= 1000);
        const int columns = gridWidth(grid);
        QVERIFY(columns >= 50 && columns <= 200);
        QVERIFY(hasShape(grid, int(grid.size()), columns));
        QCOMPARE(CsvFormat::read(CsvFormat::write(withoutTrailingEmpties(grid))), grid);
    });
}

void TestEngineFuzz::formulasNeverBreakTheGrid()
{
    const QStringList corpus{"=SUM(A1:C3,5)", "=AVERAGE(A1,B2,\"3\")", "=TEXTJOIN(\"-\",TRUE,A1:C1,\"x\")",
                             "=UNIQUE(A1:A5)", "=SUM(A1,1)", "45000", "=FOO(1)", "=SUM(Z99999999999:A1)"};
    ExcelDocument document;
    document.setCells(makeEmptyGrid(6, 4));
    QRandomGenerator random(seed + 1);
    fuzz(2500, corpus, [&document, &random](const QString &text) {
        const int row = random.bounded(6);
        const int col = random.bounded(4);
        document.setCell(row, col, text);
        document.recalculate();
        QVERIFY(hasShape(document.evaluatedCells(), 6, 4));
        const FormulaEvaluator fresh(document.cells(), document.valueCells(), document.cachedEvaluatedCells());
        fresh.evaluateCell(text, random.bounded(8) - 1, random.bounded(6) - 1);
    });
    QCoreApplication::processEvents();
}

void TestEngineFuzz::referencesReadBackCanonically()
{
    const QStringList corpus{"A1", "zz0009", "AAA1000", "FXSHRXX2147483647", "b03"};
    fuzz(50000, corpus, [](const QString &text) {
        const auto address = CellReference::parse(text);
        if (!address)
            return;
        QVERIFY(address->row >= 0 && address->col >= 0);
        const auto again = CellReference::parse(CellReference::text(address->row, address->col));
        QVERIFY(again);
        QCOMPARE(*again, *address);
    });
}

QTEST_GUILESS_MAIN(TestEngineFuzz)
#include "tst_enginefuzz.moc"
