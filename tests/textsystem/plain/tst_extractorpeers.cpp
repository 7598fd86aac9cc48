#include "textsystem/plain/IchitaroParser.h"
#include "textsystem/plain/WordPerfectParser.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

// Inputs for the extractors made by other programs: a WordPerfect 5 file
// compared with what wpd2text reads from it, Ichitaro-like containers from
// `gsf createole` and Shift-JIS text from iconv. Each is skipped when its
// program is missing.
namespace {

QByteArray runTool(const QString &program, const QStringList &arguments, const QByteArray &input = {}, bool *ok = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(60000);
    if (ok)
        *ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return process.readAllStandardOutput();
}

void requireTool(const QString &program)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        QSKIP(qPrintable(program + QStringLiteral(" is not installed")));
}

QString writeFile(const QTemporaryDir &folder, const QString &name, const QByteArray &bytes)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

QStringList contentLines(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(u'\n')) {
        if (!line.trimmed().isEmpty())
            lines.append(line.trimmed());
    }
    return lines;
}

QByteArray utf16LE(const QString &text)
{
    QByteArray bytes(text.size() * 2, '\0');
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

QByteArray iconvToCp932(const QString &text, bool *ok)
{
    return runTool(QStringLiteral("iconv"), {QStringLiteral("-f"), QStringLiteral("UTF-8"), QStringLiteral("-t"), QStringLiteral("CP932")},
                   text.toUtf8(), ok);
}

} // namespace

class TestExtractorPeers : public QObject
{
    Q_OBJECT

private slots:
    void wordPerfectReadsAsWpd2text_data();
    void wordPerfectReadsAsWpd2text();
    void ichitaroContainerFromGsf();
    void shiftJisFromIconv_data();
    void shiftJisFromIconv();
};

void TestExtractorPeers::wordPerfectReadsAsWpd2text_data()
{
    QTest::addColumn<QByteArray>("text"); // WordPerfect 5 text: 0x0A ends a line
    QTest::newRow("two lines") << QByteArray("Quarterly report of the northern office\nSales rose by twelve percent this year\n");
    QTest::newRow("soft returns and punctuation")
        << QByteArray("The meeting is on Monday, 10:00 (room 4).\rBring the figures!\nThank you.\n");
}

void TestExtractorPeers::wordPerfectReadsAsWpd2text()
{
    requireTool(QStringLiteral("wpd2text"));
    QFETCH(QByteArray, text);
    // A WordPerfect 5.1 document: signature, offset of the text, product 1,
    // file type 10, version 0.1, no encryption; the text from byte 16.
    QByteArray file = QByteArray("\xFFWPC", 4) + QByteArray(12, '\0');
    qToLittleEndian<quint32>(16, file.data() + 4);
    file[8] = 1;
    file[9] = 10;
    file[10] = 0;
    file[11] = 1;
    file += text;
    QTemporaryDir folder;
    const QString path = writeFile(folder, QStringLiteral("doc.wpd"), file);
    bool ok = false;
    const QString peer = QString::fromUtf8(runTool(QStringLiteral("wpd2text"), {path}, {}, &ok));
    QVERIFY2(ok, qPrintable(QStringLiteral("wpd2text could not read the file: ") + peer));
    QVERIFY(!contentLines(peer).isEmpty());
    QCOMPARE(contentLines(WordPerfectParser::extractText(file)).join(u' '), contentLines(peer).join(u' '));
}

void TestExtractorPeers::ichitaroContainerFromGsf()
{
    requireTool(QStringLiteral("gsf"));
    QTemporaryDir folder;
    const QString sentence = QString::fromUtf16(u"一太郎の文書です。本文は UTF-16 で書かれています。");
    const QString second = QString::fromUtf16(u"二行目：見出しと本文");
    QByteArray stream = QByteArray(64, '\x01') + utf16LE(sentence) + QByteArray(8, '\0') + utf16LE(second) + QByteArray(40, '\x02');
    const QString streamPath = writeFile(folder, QStringLiteral("DocumentText"), stream);
    writeFile(folder, QStringLiteral("Header"), QByteArray(300, '\x07'));
    const QString container = folder.filePath(QStringLiteral("doc.jxw"));
    QProcess gsf;
    gsf.setWorkingDirectory(folder.path());
    gsf.start(QStringLiteral("gsf"), {QStringLiteral("createole"), container, QStringLiteral("Header"), QStringLiteral("DocumentText")});
    QVERIFY(gsf.waitForFinished(60000) && gsf.exitCode() == 0);
    QFile file(container);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)));
    const QStringList lines = contentLines(IchitaroParser::parse(bytes));
    QVERIFY2(lines.contains(sentence), qPrintable(lines.join(u'|')));
    QVERIFY2(lines.contains(second), qPrintable(lines.join(u'|')));
}

void TestExtractorPeers::shiftJisFromIconv_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("embedded"); // inside binary data rather than a text file
    const QString document = QString::fromUtf16(u"  字下げした行\n\n※ 注意書き\n第二段落です。ABC 123\n");
    QTest::newRow("text file kept as written") << document << false;
    QTest::newRow("text inside binary data") << QString::fromUtf16(u"報告書の本文です。売上は増えました。") << true;
}

void TestExtractorPeers::shiftJisFromIconv()
{
    requireTool(QStringLiteral("iconv"));
    QFETCH(QString, text);
    QFETCH(bool, embedded);
    bool ok = false;
    const QByteArray sjis = iconvToCp932(text, &ok);
    QVERIFY(ok);
    if (!embedded) {
        QCOMPARE(IchitaroParser::parse(sjis), text);
        QCOMPARE(WordPerfectParser::extractText(sjis), text);
        return;
    }
    const QByteArray file = QByteArray("\x00\x01\x02\x03\x04\x05\x06\x07", 8) + sjis + QByteArray("\x00\x1F\x00\x02", 4);
    QCOMPARE(contentLines(IchitaroParser::parse(file)), QStringList{text});
}

QTEST_GUILESS_MAIN(TestExtractorPeers)
#include "tst_extractorpeers.moc"
