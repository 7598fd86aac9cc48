#include "word/document/DocumentFormat.h"

#include <QtTest>

using OptionalFormat = std::optional<DocumentFormat>;

class TestDocumentFormat : public QObject
{
    Q_OBJECT

private slots:
    void pickerOrderAndNames();
    void fromFileName_data();
    void fromFileName();
};

void TestDocumentFormat::pickerOrderAndNames()
{
    QStringList labels;
    for (DocumentFormat format : DocumentFormats::all()) {
        QCOMPARE(DocumentFormats::fromRawValue(DocumentFormats::rawValue(format)), OptionalFormat(format));
        labels << DocumentFormats::displayName(format);
    }
    QCOMPARE(labels, QStringList({"Rich Text (.rtf)", "Rich Text with Attachments (.rtfd)", "Word 97-2004 (.doc)",
                                  "Word (.docx)", "Word Template (.dotx)", "HTML Web Page (.html)",
                                  "HTML Web Page (.htm)", QString::fromUtf16(u"一太郎 5-6 (.jwd)"),
                                  QString::fromUtf16(u"一太郎 8-以降 (.jxw)"), "WordPerfect (.wpd)"}));
    QCOMPARE(DocumentFormats::fromRawValue("RTF"), OptionalFormat());
}

void TestDocumentFormat::fromFileName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<OptionalFormat>("format");

    QTest::newRow("upper-case extension") << "Report.DOCX" << OptionalFormat(DocumentFormat::Docx);
    QTest::newRow("only the last extension") << "a.b.rtf" << OptionalFormat(DocumentFormat::Rtf);
    QTest::newRow("folder package with slash") << "/tmp/Notes.rtfd/" << OptionalFormat(DocumentFormat::Rtfd);
    QTest::newRow("htm") << "page.htm" << OptionalFormat(DocumentFormat::Htm);
    QTest::newRow("no extension") << "README" << OptionalFormat();
    QTest::newRow("unknown extension") << "x.txt" << OptionalFormat();
}

void TestDocumentFormat::fromFileName()
{
    QFETCH(QString, name);
    QFETCH(OptionalFormat, format);
    QCOMPARE(DocumentFormats::fromFileName(name), format);
}

QTEST_GUILESS_MAIN(TestDocumentFormat)
#include "tst_documentformat.moc"
