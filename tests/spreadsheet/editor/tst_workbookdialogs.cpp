#include "ExcelViewTestSupport.h"
#include "platform/AppState.h"
#include "platform/NumberText.h"
#include "platform/TextEncoding.h"
#include "platform/UserFolders.h"
#include "spreadsheet/editor/ExcelToolbar.h"
#include "platform/widgets/DialogCard.h"
#include "platform/widgets/FolderLocationRow.h"
#include "spreadsheet/editor/MorvaneExcelView.h"
#include "spreadsheet/editor/OpenWorkbookDialog.h"
#include "spreadsheet/editor/RenameSheetDialog.h"
#include "spreadsheet/editor/SaveWorkbookDialog.h"
#include "spreadsheet/editor/SheetTab.h"
#include "spreadsheet/editor/SheetTabBar.h"
#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/formula/SheetCalculator.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

bool isUnsaved()
{
    return AppState::shared().hasUnsavedChanges(AppState::Editor::Spreadsheet);
}

void setUnsaved(bool unsaved)
{
    AppState::shared().setHasUnsavedChanges(AppState::Editor::Spreadsheet, unsaved);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The one line a failed action printed, without its line feed.
QString printedLine(const QString &printed)
{
    return printed.endsWith(u'\n') ? printed.chopped(1) : printed;
}

// The card's error line shows what was printed, and nothing else shows it.
void verifyErrorLine(DialogCard *card, const QString &printed)
{
    QCOMPARE(card->error(), printedLine(printed));
    QVERIFY(card->errorLabel()->isVisible());
}

QStringList fileNames(const QStringList &paths)
{
    QStringList names;
    for (const QString &path : paths)
        names.append(QFileInfo(path).fileName());
    return names;
}

// Clicks the middle of a widget's rectangle inside `overlay` coordinates on
// the overlay itself (the dimmed backdrop when nothing else lies there).
void clickBackdrop(QWidget *overlay)
{
    QTest::mouseClick(overlay, Qt::LeftButton, {}, QPoint(5, 5));
}

} // namespace

class TestWorkbookDialogs : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsAtTheDesktopFolder();
    void openDialogListsOpenableFiles();
    void unlistableFolderPrintsAndListsNothing();
    void folderChooserChangesBothDialogs();
    void cancelledFolderChooserChangesNothing();

    void saveDialogEditsTheScreenState();
    void saveAndReopen_data();
    void saveAndReopen();
    void lotusChoiceWritesCp932OrUtf8_data();
    void lotusChoiceWritesCp932OrUtf8();
    void refusedSaveKeepsDialogAndFlag_data();
    void refusedSaveKeepsDialogAndFlag();

    void failedOpenChangesNothing_data();
    void failedOpenChangesNothing();
    void templateOpensUntitledAndUnsaved();
    void csvOpenKeepsOtherSheets();
    void sheetBeyondTheRecalculationBudgetSaysSo();
    void clickingAFileOpensIt();
    void backdropAndCancelCloseDialogs();
    void errorLineGoesWithTheCard();

    void tabBarFollowsTheSheets();
    void activeTabIsScrolledIntoView();
    void renameThroughTheTabMenu();
    void refusedRenameKeepsTheDialog();
    void renameDialogClosesWithoutRenaming();

private:
    ExcelDocument *document() const { return m_view->document(); }
    void fillSample();
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<MorvaneExcelView> m_view;
};

void TestWorkbookDialogs::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    m_view = std::make_unique<MorvaneExcelView>();
    m_view->setFolderChooser([](QWidget *, const QString &) { return QString(); });
    m_view->setSelectedSaveLocation(m_folder->path());
    m_view->resize(1000, 700);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    setUnsaved(false);
}

void TestWorkbookDialogs::cleanup()
{
    m_view.reset();
    m_folder.reset();
    setUnsaved(false);
}

void TestWorkbookDialogs::fillSample()
{
    document()->setCell(0, 0, QStringLiteral("1"));
    document()->setCell(1, 0, QStringLiteral("2"));
    document()->setCell(2, 0, QStringLiteral("=SUM(A1:A2)"));
    document()->setCell(0, 1, QStringLiteral("日本語, \"quoted\""));
    QCoreApplication::processEvents();
}

void TestWorkbookDialogs::startsAtTheDesktopFolder()
{
    MorvaneExcelView fresh;
    QCOMPARE(fresh.selectedSaveLocation(), UserFolders::desktopOrHome());
    QCOMPARE(fresh.openFiles(), QStringList());
}

void TestWorkbookDialogs::openDialogListsOpenableFiles()
{
    const QStringList names = {"a.CSV", "b.xlsx", "c.xls", "d.123", "e.txt", "f.xltx", "g.wk1", ".h.csv"};
    for (const QString &name : names)
        writeFile(m_folder->filePath(name), "x");
    QDir(m_folder->path()).mkdir(QStringLiteral("folder.xlsx"));

    QTest::mouseClick(m_view->toolbar()->openButton(), Qt::LeftButton);
    QVERIFY(m_view->isShowingOpenDialog());
    QStringList listed = fileNames(m_view->openFiles());
    QStringList expected = {"a.CSV", "b.xlsx", "d.123", "f.xltx", "g.wk1", ".h.csv", "folder.xlsx"};
    // The listing keeps the folder's own order; compare as sets, then the rows.
    QStringList sortedListed = listed;
    sortedListed.sort();
    expected.sort();
    QCOMPARE(sortedListed, expected);
    QListWidget *list = m_view->openDialog()->fileList();
    QCOMPARE(list->count(), listed.size());
    for (int i = 0; i < list->count(); ++i)
        QCOMPARE(list->item(i)->text(), listed[i]);
}

void TestWorkbookDialogs::unlistableFolderPrintsAndListsNothing()
{
    writeFile(m_folder->filePath("a.csv"), "x");
    m_view->refreshOpenFiles();
    QCOMPARE(m_view->openFiles().size(), 1);
    m_view->setSelectedSaveLocation(m_folder->filePath("missing"));
    StdoutCapture output;
    m_view->showOpenDialog();
    const QString printed = output.text();
    QVERIFY(m_view->openFiles().isEmpty());
    QCOMPARE(m_view->openDialog()->fileList()->count(), 0);
    QVERIFY2(printed.contains(QStringLiteral("missing")), qPrintable(printed));
    verifyErrorLine(m_view->openDialog(), printed);

    // A folder that lists again clears the line.
    m_view->setSelectedSaveLocation(m_folder->path());
    m_view->refreshOpenFiles();
    QVERIFY(m_view->openDialog()->errorLabel()->isHidden());
}

void TestWorkbookDialogs::folderChooserChangesBothDialogs()
{
    QTemporaryDir other;
    writeFile(QDir(other.path()).filePath("book.xlsx"), "x");
    QString startedAt;
    m_view->setFolderChooser([&](QWidget *, const QString &start) {
        startedAt = start;
        return other.path();
    });
    m_view->showOpenDialog();
    QTest::mouseClick(m_view->openDialog()->locationRow()->changeButton(), Qt::LeftButton);
    QCOMPARE(startedAt, m_folder->path());
    QCOMPARE(m_view->selectedSaveLocation(), other.path());
    QCOMPARE(fileNames(m_view->openFiles()), QStringList{"book.xlsx"});
    QCOMPARE(m_view->openDialog()->locationRow()->path(), other.path());
    m_view->openDialog()->close();

    m_view->showSaveDialog();
    QCOMPARE(m_view->saveDialog()->locationRow()->path(), other.path());
}

void TestWorkbookDialogs::cancelledFolderChooserChangesNothing()
{
    writeFile(m_folder->filePath("a.csv"), "x");
    m_view->showOpenDialog();
    QTest::mouseClick(m_view->openDialog()->locationRow()->changeButton(), Qt::LeftButton);
    QCOMPARE(m_view->selectedSaveLocation(), m_folder->path());
    QCOMPARE(m_view->openFiles().size(), 1);
}

void TestWorkbookDialogs::saveDialogEditsTheScreenState()
{
    m_view->showSaveDialog();
    SaveWorkbookDialog *dialog = m_view->saveDialog();
    QCOMPARE(dialog->fileName(), QStringLiteral("MorvaneBook"));
    QCOMPARE(dialog->fileNameField()->selectedText(), QStringLiteral("MorvaneBook"));
    QVERIFY(dialog->formatButton(ExcelFileFormat::Xlsx)->isChecked());
    QCOMPARE(dialog->extensionLabel()->text(), QStringLiteral(".xlsx"));
    QStringList segments;
    for (ExcelFileFormat format : allExcelFileFormats)
        segments.append(dialog->formatButton(format)->text());
    QCOMPARE(segments, (QStringList{"CSV (.csv)", "Excel (.xlsx)", "Excelテンプレート (.xltx)",
                                    "Lotus 1-2-3 (.wk1)"}));

    commitInputMethodText(dialog->fileNameField(), QStringLiteral("家計簿"));
    QTest::mouseClick(dialog->formatButton(ExcelFileFormat::Wk1), Qt::LeftButton);
    QCOMPARE(m_view->fileName(), QStringLiteral("家計簿"));
    QCOMPARE(m_view->fileFormat(), ExcelFileFormat::Wk1);
    QCOMPARE(dialog->extensionLabel()->text(), QStringLiteral(".wk1"));

    // Cancelling keeps what was edited.
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    QVERIFY(!m_view->isShowingSaveDialog());
    m_view->showSaveDialog();
    QCOMPARE(dialog->fileName(), QStringLiteral("家計簿"));
    QVERIFY(dialog->formatButton(ExcelFileFormat::Wk1)->isChecked());
}

void TestWorkbookDialogs::saveAndReopen_data()
{
    QTest::addColumn<ExcelFileFormat>("format");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("reopenedName");
    QTest::addColumn<bool>("unsavedAfterOpen");
    QTest::newRow("CSV") << ExcelFileFormat::Csv << "Book" << "Book" << false;
    QTest::newRow("XLSX") << ExcelFileFormat::Xlsx << "Book" << "Book" << false;
    QTest::newRow("XLTX") << ExcelFileFormat::Xltx << "Plan" << "Untitled" << true;
    QTest::newRow("Lotus choice") << ExcelFileFormat::Wk1 << "Book" << "Book" << false;
    QTest::newRow("name with dots") << ExcelFileFormat::Csv << "a.b" << "a.b" << false;
}

void TestWorkbookDialogs::saveAndReopen()
{
    QFETCH(ExcelFileFormat, format);
    QFETCH(QString, fileName);
    fillSample();
    m_view->showSaveDialog();
    m_view->setFileName(fileName);
    QTest::mouseClick(m_view->saveDialog()->formatButton(format), Qt::LeftButton);
    setUnsaved(true);
    QTest::mouseClick(m_view->saveDialog()->saveButton(), Qt::LeftButton);
    QVERIFY(!m_view->isShowingSaveDialog());
    QVERIFY(!isUnsaved());
    const QString path =
        m_folder->filePath(fileName + QLatin1Char('.') + excelFileFormatExtension(format));
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(m_view->fileName(), fileName);
    QCOMPARE(m_view->fileFormat(), format);

    MorvaneExcelView reopened;
    reopened.setSelectedSaveLocation(m_folder->path());
    reopened.showOpenDialog();
    QVERIFY(reopened.openWorkbook(path));
    QCoreApplication::processEvents();
    QVERIFY(!reopened.isShowingOpenDialog());
    QTEST(reopened.fileName(), "reopenedName");
    QTEST(isUnsaved(), "unsavedAfterOpen");
    // Numbers may come back in another text form ("1.0").
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 2; ++col) {
            const QString written = document()->cell(row, col);
            const QString read = reopened.document()->cell(row, col);
            if (NumberText::isNumber(written))
                QCOMPARE(NumberText::toDouble(read), NumberText::toDouble(written));
            else
                QCOMPARE(read, written);
        }
    }
    QCOMPARE(reopened.document()->evaluatedCell(2, 0), QStringLiteral("3"));
}

void TestWorkbookDialogs::lotusChoiceWritesCp932OrUtf8_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("cp932");
    QTest::newRow("Japanese text in CP932") << QStringLiteral("日本語") << true;
    QTest::newRow("emoji falls back to UTF-8") << QStringLiteral("表😀") << false;
}

void TestWorkbookDialogs::lotusChoiceWritesCp932OrUtf8()
{
    QFETCH(QString, text);
    QFETCH(bool, cp932);
    document()->setCell(0, 0, text);
    m_view->setFileName(QStringLiteral("Book"));
    m_view->setFileFormat(ExcelFileFormat::Wk1);
    QVERIFY(m_view->saveWorkbook());
    const QByteArray bytes = readFile(m_folder->filePath("Book.wk1"));
    const QString csv = document()->exportCSV();
    QCOMPARE(bytes, cp932 ? *TextEncoding::encodeCp932(csv) : csv.toUtf8());
}

void TestWorkbookDialogs::refusedSaveKeepsDialogAndFlag_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("folder");
    QTest::newRow("empty name") << QString() << QString();
    QTest::newRow("name with a slash") << QStringLiteral("../Book") << QString();
    QTest::newRow("missing folder is not created") << QStringLiteral("Book")
                                                   << QStringLiteral("/proc/no-such-folder");
}

void TestWorkbookDialogs::refusedSaveKeepsDialogAndFlag()
{
    QFETCH(QString, fileName);
    QFETCH(QString, folder);
    if (!folder.isEmpty())
        m_view->setSelectedSaveLocation(folder);
    for (bool unsaved : {true, false}) {
        m_view->showSaveDialog();
        m_view->setFileName(fileName);
        setUnsaved(unsaved);
        StdoutCapture output;
        QTest::mouseClick(m_view->saveDialog()->saveButton(), Qt::LeftButton);
        const QString printed = output.text();
        QVERIFY2(printed.startsWith(QStringLiteral("Save error: ")), qPrintable(printed));
        verifyErrorLine(m_view->saveDialog(), printed);
        QVERIFY(m_view->isShowingSaveDialog());
        QCOMPARE(isUnsaved(), unsaved);
    }
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestWorkbookDialogs::failedOpenChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // empty: the file does not exist
    QTest::newRow("garbage xlsx") << "broken.xlsx" << QByteArray("not a zip at all");
    QTest::newRow("missing xlsx") << "missing.xlsx" << QByteArray();
    QTest::newRow("missing csv") << "missing.csv" << QByteArray();
    QTest::newRow("csv that is not UTF-8") << "latin.csv" << QByteArray("caf\xe9,1\n");
    QTest::newRow("missing Lotus file") << "missing.wk1" << QByteArray();
    QTest::newRow("random bytes as 123") << "noise.123" << QByteArray("\x13\x9a\x00\xff\x42\x07\x00\x01", 8);
    QTest::newRow("binary wk1 without its beginning record") << "noise.wk1" << QByteArray("\x01\x00\x00\xff" "ab", 6);
    QTest::newRow("folder named like a workbook") << "folder.xlsx" << QByteArray("<dir>");
}

void TestWorkbookDialogs::failedOpenChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    const QString path = m_folder->filePath(name);
    if (bytes == "<dir>")
        QVERIFY(QDir(m_folder->path()).mkdir(name));
    else if (!bytes.isEmpty())
        writeFile(path, bytes);

    fillSample();
    document()->setCellStyle(QStringLiteral("A1"), CellStyle{true, false, {}, {}});
    document()->mergeCells(4, 0, 5, 1);
    document()->addSheet(QStringLiteral("Second"));
    document()->switchToSheet(0);
    QCoreApplication::processEvents();
    const QList<ExcelSheet> sheets = document()->sheets();
    const CellGrid cells = document()->cells();
    const CellStyleMap styles = document()->cellStyles();

    for (bool unsaved : {true, false}) {
        m_view->showOpenDialog();
        setUnsaved(unsaved);
        StdoutCapture output;
        QVERIFY(!m_view->openWorkbook(path));
        const QString printed = output.text();
        QCoreApplication::processEvents();
        QVERIFY2(printed.startsWith(QStringLiteral("Open error: ")), qPrintable(printed));
        verifyErrorLine(m_view->openDialog(), printed);
        QVERIFY(m_view->isShowingOpenDialog());
        QCOMPARE(isUnsaved(), unsaved);
        QCOMPARE(document()->cells(), cells);
        QCOMPARE(document()->cellStyles(), styles);
        QCOMPARE(document()->sheets().size(), sheets.size());
        QCOMPARE(document()->sheets()[1].name, QStringLiteral("Second"));
        QCOMPARE(m_view->fileName(), QStringLiteral("MorvaneBook"));
    }
}

void TestWorkbookDialogs::templateOpensUntitledAndUnsaved()
{
    fillSample();
    m_view->setFileName(QStringLiteral("plan"));
    m_view->setFileFormat(ExcelFileFormat::Xltx);
    QVERIFY(m_view->saveWorkbook());
    m_view->setFileFormat(ExcelFileFormat::Csv);
    m_view->showOpenDialog();
    QVERIFY(m_view->openWorkbook(m_folder->filePath("plan.xltx")));
    QCOMPARE(m_view->fileName(), QStringLiteral("Untitled"));
    QVERIFY(isUnsaved());
    QVERIFY(!m_view->isShowingOpenDialog());
    QCOMPARE(m_view->fileFormat(), ExcelFileFormat::Csv);
    QCOMPARE(m_view->selectedSaveLocation(), m_folder->path());
}

void TestWorkbookDialogs::csvOpenKeepsOtherSheets()
{
    writeFile(m_folder->filePath("data.csv"), "x,y\n1,2\n");
    document()->setCell(0, 0, QStringLiteral("first"));
    document()->addSheet(QStringLiteral("Second"));
    document()->setCell(50, 20, QStringLiteral("old"));
    document()->insertRow(0);
    document()->setMacro(QStringLiteral("M"), QStringLiteral("Sub M()\nEnd Sub"));
    QCoreApplication::processEvents();
    QVERIFY(m_view->openWorkbook(m_folder->filePath("data.csv")));
    QCoreApplication::processEvents();
    QCOMPARE(document()->sheets().size(), 2);
    QCOMPARE(document()->sheets()[0].name, QStringLiteral("Sheet1"));
    QCOMPARE(document()->sheets()[0].cells[0][0], QStringLiteral("first"));
    QCOMPARE(document()->activeSheetIndex(), 1);
    QCOMPARE(document()->sheets()[1].name, QStringLiteral("Second"));
    QCOMPARE(document()->rowCount(), 100);
    QCOMPARE(document()->columnCount(), 50);
    QCOMPARE(document()->cell(1, 1), QStringLiteral("2"));
    QCOMPARE(document()->cell(51, 20), QString());
    QCOMPARE(document()->evaluatedCell(1, 1), QStringLiteral("2"));
    QVERIFY(document()->macros().contains(QStringLiteral("M")));
    QCOMPARE(m_view->fileName(), QStringLiteral("data"));
    QVERIFY(!isUnsaved());
}

// A sheet whose formulas read more than one recalculation may opens, the
// formulas past the budget show "#VALUE!" and the screen says why.
void TestWorkbookDialogs::sheetBeyondTheRecalculationBudgetSaysSo()
{
    writeFile(m_folder->filePath("many.csv"),
              QByteArray("x\n").repeated(10) + QByteArray("=UNIQUE(A1:A10)\n").repeated(10));
    document()->setReadBudget(50 * SheetCalculator::textReadCost); // five of the formulas
    QVERIFY(m_view->openWorkbook(m_folder->filePath("many.csv")));
    QTRY_COMPARE(document()->evaluatedCell(10, 0), QStringLiteral("x"));
    QCOMPARE(document()->evaluatedCell(19, 0), QStringLiteral("#VALUE!"));
    QVERIFY(document()->someFormulasNotComputed());
    QVERIFY(m_view->calculationNotice()->isVisible());
    document()->setReadBudget(SheetCalculator::defaultReadBudget);
    document()->setCell(0, 1, QStringLiteral("y"));
    QTRY_VERIFY(!m_view->calculationNotice()->isVisible());
    QCOMPARE(document()->evaluatedCell(19, 0), QStringLiteral("x"));
}

void TestWorkbookDialogs::clickingAFileOpensIt()
{
    writeFile(m_folder->filePath("only.csv"), "hello\n");
    QTest::mouseClick(m_view->toolbar()->openButton(), Qt::LeftButton);
    QListWidget *list = m_view->openDialog()->fileList();
    QCOMPARE(list->count(), 1);
    const QRect row = list->visualItemRect(list->item(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QVERIFY(!m_view->isShowingOpenDialog());
    QCOMPARE(document()->cell(0, 0), QStringLiteral("hello"));
    QCOMPARE(m_view->fileName(), QStringLiteral("only"));
}

void TestWorkbookDialogs::backdropAndCancelCloseDialogs()
{
    m_view->showSaveDialog();
    clickBackdrop(m_view->saveDialog());
    QVERIFY(!m_view->isShowingSaveDialog());
    m_view->showOpenDialog();
    clickBackdrop(m_view->openDialog());
    QVERIFY(!m_view->isShowingOpenDialog());
    m_view->showOpenDialog();
    QTest::mouseClick(m_view->openDialog()->closeButton(), Qt::LeftButton);
    QVERIFY(!m_view->isShowingOpenDialog());
    QVERIFY(!isUnsaved());
}

// A reason shown for a failed save is gone when the card shows again, and
// a save that succeeds after a failure closes the card without it.
void TestWorkbookDialogs::errorLineGoesWithTheCard()
{
    m_view->showSaveDialog();
    m_view->setFileName(QString());
    {
        StdoutCapture output;
        QVERIFY(!m_view->saveWorkbook());
    }
    QVERIFY(m_view->saveDialog()->errorLabel()->isVisible());
    QTest::mouseClick(m_view->saveDialog()->cancelButton(), Qt::LeftButton);
    m_view->showSaveDialog();
    QVERIFY(m_view->saveDialog()->errorLabel()->isHidden());
    QCOMPARE(m_view->saveDialog()->error(), QString());

    {
        StdoutCapture output;
        QVERIFY(!m_view->saveWorkbook());
    }
    m_view->setFileName(QStringLiteral("Book"));
    QVERIFY(m_view->saveWorkbook());
    QVERIFY(!m_view->isShowingSaveDialog());
    m_view->showSaveDialog();
    QVERIFY(m_view->saveDialog()->errorLabel()->isHidden());
}

void TestWorkbookDialogs::tabBarFollowsTheSheets()
{
    SheetTabBar *bar = m_view->sheetTabBar();
    QCOMPARE(bar->count(), 1);
    QCOMPARE(bar->tab(0)->name(), QStringLiteral("Sheet1"));
    QVERIFY(bar->tab(0)->isActive());
    QVERIFY(!bar->tab(0)->closeButton()->isVisible());

    QTest::mouseClick(bar->addButton(), Qt::LeftButton);
    QCOMPARE(bar->count(), 2);
    QCOMPARE(bar->tab(1)->name(), QStringLiteral("Sheet2"));
    QVERIFY(bar->tab(1)->isActive());
    QVERIFY(!bar->tab(0)->isActive());
    QVERIFY(bar->tab(0)->closeButton()->isVisible());
    QVERIFY(isUnsaved());

    document()->setCell(0, 0, QStringLiteral("on sheet 2"));
    QTest::mouseClick(bar->tab(0), Qt::LeftButton);
    QCOMPARE(document()->activeSheetIndex(), 0);
    QVERIFY(bar->tab(0)->isActive());
    QCOMPARE(document()->cell(0, 0), QString());

    // Deleting the first sheet, then adding one, never repeats a name.
    QTest::mouseClick(bar->tab(0)->closeButton(), Qt::LeftButton);
    QCOMPARE(bar->count(), 1);
    QCOMPARE(document()->cell(0, 0), QStringLiteral("on sheet 2"));
    QTest::mouseClick(bar->addButton(), Qt::LeftButton);
    QCOMPARE(bar->count(), 2);
    QVERIFY(bar->tab(0)->name() != bar->tab(1)->name());
}

// More sheets than the row can show: the active tab, a new one included,
// is scrolled into view between the bar's left edge and the add button.
void TestWorkbookDialogs::activeTabIsScrolledIntoView()
{
    SheetTabBar *bar = m_view->sheetTabBar();
    auto inView = [bar](int index) {
        const QRect tab(bar->tab(index)->mapTo(bar, QPoint(0, 0)), bar->tab(index)->size());
        return tab.left() >= 0 && tab.right() < bar->addButton()->x();
    };
    for (int i = 0; i < 14; ++i)
        QTest::mouseClick(bar->addButton(), Qt::LeftButton);
    QCOMPARE(bar->count(), 15);
    QTRY_VERIFY(!inView(0));
    QTRY_VERIFY(inView(14));

    QTest::mouseClick(bar->addButton(), Qt::LeftButton);
    QTRY_VERIFY(inView(15));
    document()->switchToSheet(0);
    QTRY_VERIFY(inView(0));
}

void TestWorkbookDialogs::renameThroughTheTabMenu()
{
    document()->addSheet(QStringLiteral("Sheet2"));
    document()->switchToSheet(0);
    SheetTabBar *bar = m_view->sheetTabBar();
    bar->tab(1)->renameAction()->trigger();
    QVERIFY(m_view->isShowingRenameSheetDialog());
    RenameSheetDialog *dialog = m_view->renameDialog();
    QCOMPARE(dialog->text(), QStringLiteral("Sheet2"));
    QCOMPARE(m_view->renameSheetTargetIndex(), 1);
    dialog->field()->selectAll();
    commitInputMethodText(dialog->field(), QStringLiteral("売上"));
    QCOMPARE(m_view->renameSheetText(), QStringLiteral("売上"));
    QTest::keyClick(dialog->field(), Qt::Key_Return);
    QVERIFY(m_view->isShowingRenameSheetDialog());
    QTest::mouseClick(dialog->renameButton(), Qt::LeftButton);
    QVERIFY(!m_view->isShowingRenameSheetDialog());
    QCOMPARE(document()->sheets()[1].name, QStringLiteral("売上"));
    QCOMPARE(bar->tab(1)->name(), QStringLiteral("売上"));
    QCOMPARE(document()->activeSheetIndex(), 0);
}

void TestWorkbookDialogs::refusedRenameKeepsTheDialog()
{
    document()->addSheet(QStringLiteral("Sheet2"));
    m_view->beginRenameSheet(1);
    for (const QString &name : {QStringLiteral("sheet1"), QString()}) {
        m_view->renameDialog()->field()->setText(name);
        StdoutCapture output;
        QTest::mouseClick(m_view->renameDialog()->renameButton(), Qt::LeftButton);
        QCOMPARE(output.text(), QString());
        QVERIFY(m_view->isShowingRenameSheetDialog());
        QCOMPARE(document()->sheets()[1].name, QStringLiteral("Sheet2"));
        QVERIFY(m_view->renameDialog()->errorLabel()->isVisible());
        QCOMPARE(m_view->renameDialog()->error().contains(QStringLiteral("sheet1")), !name.isEmpty());
    }
    // A name other programs refuse says why.
    m_view->renameDialog()->field()->setText(QStringLiteral("売上[2024]/Q1?"));
    QTest::mouseClick(m_view->renameDialog()->renameButton(), Qt::LeftButton);
    QVERIFY(m_view->isShowingRenameSheetDialog());
    QCOMPARE(m_view->renameDialog()->error(), document()->sheetNameProblem(QStringLiteral("売上[2024]/Q1?"), 1));
    QVERIFY(m_view->renameDialog()->error().contains(QStringLiteral("[ ]")));
    m_view->renameDialog()->field()->setText(QStringLiteral("Sheet3"));
    QTest::mouseClick(m_view->renameDialog()->renameButton(), Qt::LeftButton);
    QVERIFY(!m_view->isShowingRenameSheetDialog());
    m_view->beginRenameSheet(1);
    QVERIFY(m_view->renameDialog()->errorLabel()->isHidden());
}

void TestWorkbookDialogs::renameDialogClosesWithoutRenaming()
{
    m_view->beginRenameSheet(0);
    m_view->renameDialog()->field()->setText(QStringLiteral("Other"));
    QTest::mouseClick(m_view->renameDialog()->cancelButton(), Qt::LeftButton);
    QVERIFY(!m_view->isShowingRenameSheetDialog());
    m_view->beginRenameSheet(0);
    QCOMPARE(m_view->renameDialog()->text(), QStringLiteral("Sheet1"));
    clickBackdrop(m_view->renameDialog());
    QVERIFY(!m_view->isShowingRenameSheetDialog());
    QCOMPARE(document()->sheets()[0].name, QStringLiteral("Sheet1"));
    m_view->beginRenameSheet(7);
    QVERIFY(!m_view->isShowingRenameSheetDialog());
}

QTEST_MAIN(TestWorkbookDialogs)
#include "tst_workbookdialogs.moc"
