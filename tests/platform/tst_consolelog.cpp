#include "platform/ConsoleLog.h"
#include "support/StdoutCapture.h"

#include <QtTest>

#include <clocale>

class TestConsoleLog : public QObject
{
    Q_OBJECT

private slots:
    void writesUtf8LineFlushed();
};

// Standard output goes to a file for the call; the line must be there at once,
// in UTF-8 whatever the locale.
void TestConsoleLog::writesUtf8LineFlushed()
{
    StdoutCapture capture;
    QVERIFY(capture.isCapturing());
    setlocale(LC_ALL, "C");
    printLine(QString::fromUtf16(u"Open error: 見つかりません"));
    const std::optional<QByteArray> written = capture.finish();

    QVERIFY(written);
    QCOMPARE(*written, QString::fromUtf16(u"Open error: 見つかりません\n").toUtf8());
}

QTEST_GUILESS_MAIN(TestConsoleLog)
#include "tst_consolelog.moc"
