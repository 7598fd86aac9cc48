#include "platform/CompoundFileWriter.h"
#include "platform/widgets/DialogCard.h"
#include "presentation/editor/MorvanePowerPointView.h"
#include "presentation/editor/OpenPresentationDialog.h"
#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/document/WorkbookFiles.h"
#include "word/document/WordDocumentFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A package saved with a password: a compound file holding it encrypted.
QByteArray encryptedPackage()
{
    CompoundFileWriter container;
    container.addStream(QStringLiteral("EncryptionInfo"), QByteArray(200, '\x04'));
    container.addStream(QStringLiteral("EncryptedPackage"), QByteArray(5000, '\x5A'));
    return container.toBytes();
}

QByteArray deeplyNestedRtf()
{
    return "{\\rtf1 " + QByteArray(5000, '{') + QByteArray(5000, '}') + '}';
}

QByteArray wordDocumentCutShort()
{
    CompoundFileWriter container;
    container.addStream(QStringLiteral("WordDocument"), QByteArray(16, '\0'));
    return container.toBytes();
}

// A ZIP archive without entries.
QByteArray emptyZip()
{
    return QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0');
}

// What the screen that opens `name` reports when the open fails.
QString openFailure(const QString &path)
{
    QString error;
    const QString suffix = QFileInfo(path).suffix();
    if (suffix == u"pptx") {
        MorvanePowerPointView screen;
        return screen.openPresentation(path) ? QString() : screen.openDialog()->error();
    }
    if (suffix == u"xlsx" || suffix == u"csv" || suffix == u"wk1") {
        ExcelDocument document;
        return WorkbookFiles::open(document, path, &error) ? QString() : error;
    }
    StyledText text;
    return WordDocumentFiles::read(path, &text, &error) ? QString() : error;
}

} // namespace

class TestOpenRefusals : public QObject
{
    Q_OBJECT
private slots:
    void refusalNamesTheFileAndTheCause_data();
    void refusalNamesTheFileAndTheCause();
};

void TestOpenRefusals::refusalNamesTheFileAndTheCause_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // none: no file
    QTest::addColumn<QString>("cause");

    QTest::newRow("rtf nested too deep") << "deep.rtf" << deeplyNestedRtf() << "nests groups more than 4096 deep";
    QTest::newRow("doc header cut short") << "short.doc" << wordDocumentCutShort() << "not a Word document";
    QTest::newRow("doc not a compound file") << "plain.doc" << QByteArray("hello") << "not a compound file";
    QTest::newRow("docx password-protected") << "locked.docx" << encryptedPackage() << "password-protected";
    QTest::newRow("docx no package") << "broken.docx" << QByteArray("hello") << "not a readable Word document";
    QTest::newRow("xlsx password-protected") << "locked.xlsx" << encryptedPackage() << "password-protected";
    QTest::newRow("xlsx no package") << "broken.xlsx" << QByteArray("hello") << "not a ZIP archive";
    QTest::newRow("xlsx no workbook") << "empty.xlsx" << emptyZip() << "workbook";
    QTest::newRow("csv missing") << "gone.csv" << QByteArray() << "does not exist";
    QTest::newRow("rtf missing") << "gone.rtf" << QByteArray() << "does not exist";
    QTest::newRow("pptx missing") << "gone.pptx" << QByteArray() << "does not exist";
    QTest::newRow("pptx password-protected") << "locked.pptx" << encryptedPackage() << "password-protected";
    QTest::newRow("pptx no package") << "broken.pptx" << QByteArray("hello") << "not a ZIP archive";
    QTest::newRow("pptx no presentation") << "empty.pptx" << emptyZip() << "presentation.xml not found";
}

// Every refusal names the user's file, once, and says why.
void TestOpenRefusals::refusalNamesTheFileAndTheCause()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, cause);
    QTemporaryDir folder;
    const QString path = folder.filePath(name);
    if (!bytes.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    const QString message = openFailure(path);
    QVERIFY2(message.count(path) == 1, qPrintable(message));
    QVERIFY2(message.contains(cause), qPrintable(message));
}

QTEST_MAIN(TestOpenRefusals)
#include "tst_openrefusals.moc"
