#include "platform/ConsoleLog.h"

#include <QTemporaryFile>
#include <QtTest>

#include <clocale>
#include <unistd.h>

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
    QTemporaryFile capture;
    QVERIFY(capture.open());
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    QVERIFY(saved >= 0);
    QVERIFY(dup2(capture.handle(), STDOUT_FILENO) >= 0);
    setlocale(LC_ALL, "C");
    printLine(QString::fromUtf16(u"Open error: 見つかりません"));
    QFile reader(capture.fileName());
    const bool opened = reader.open(QIODevice::ReadOnly);
    const QByteArray written = reader.readAll();
    dup2(saved, STDOUT_FILENO);
    close(saved);

    QVERIFY(opened);
    QCOMPARE(written, QString::fromUtf16(u"Open error: 見つかりません\n").toUtf8());
}

QTEST_GUILESS_MAIN(TestConsoleLog)
#include "tst_consolelog.moc"
