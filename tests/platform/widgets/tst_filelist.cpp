#include "platform/widgets/FileList.h"
#include "support/PixmapInk.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

namespace {

// The row symbol the word and presentation cards use, and the spreadsheet's
// choice by extension.
FileList::RowSymbol richText(const QFileInfo &)
{
    return {QStringLiteral("doc.richtext"), Qt::blue};
}

FileList::RowSymbol bySuffix(const QFileInfo &file)
{
    return file.suffix() == u"csv" ? FileList::RowSymbol{QStringLiteral("doc.text"), Qt::blue}
                                   : FileList::RowSymbol{QStringLiteral("tablecells"), Qt::green};
}

QColor inkOf(const QIcon &icon)
{
    return inkOf(icon.pixmap(QSize(16, 16), 2.0));
}

} // namespace

class TestFileList : public QObject
{
    Q_OBJECT
private slots:
    void rowsKeepTheOrderAndShowFileNames();
    void rowSymbolIsTheOwnersChoice();
    void clickEmitsTheFullPath();
};

void TestFileList::rowsKeepTheOrderAndShowFileNames()
{
    FileList list(FileList::Surface::Light, richText, nullptr);
    const QStringList paths = {QStringLiteral("/d/b.rtf"), QStringLiteral("/d/a b.docx"),
                               QStringLiteral("/e/c.txt")};
    list.setFiles(paths);
    QCOMPARE(list.files(), paths);
    QCOMPARE(list.count(), 3);
    QCOMPARE(list.item(0)->text(), QStringLiteral("b.rtf"));
    QCOMPARE(list.item(1)->text(), QStringLiteral("a b.docx"));
    list.setFiles({});
    QCOMPARE(list.count(), 0);
}

void TestFileList::rowSymbolIsTheOwnersChoice()
{
    FileList list(FileList::Surface::Dark, bySuffix, nullptr);
    list.setFiles({QStringLiteral("/d/a.csv"), QStringLiteral("/d/b.xlsx"), QStringLiteral("/d/c.csv")});
    QCOMPARE(inkOf(list.item(0)->icon()).rgb(), QColor(Qt::blue).rgb());
    QCOMPARE(inkOf(list.item(1)->icon()).rgb(), QColor(Qt::green).rgb());
    QCOMPARE(inkOf(list.item(2)->icon()).rgb(), QColor(Qt::blue).rgb());
    FileList rich(FileList::Surface::Light, richText, nullptr);
    rich.setFiles({QStringLiteral("/d/a.rtf")});
    QVERIFY(!rich.item(0)->icon().isNull());
}

void TestFileList::clickEmitsTheFullPath()
{
    FileList list(FileList::Surface::Light, richText, nullptr);
    list.resize(300, 200);
    list.setFiles({QStringLiteral("/d/a.rtf"), QStringLiteral("/d/b.rtf")});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy clicked(&list, &FileList::fileClicked);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(1)).center());
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(clicked.first().first().toString(), QStringLiteral("/d/b.rtf"));
}

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
