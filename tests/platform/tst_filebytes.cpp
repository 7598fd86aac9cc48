#include "platform/FileBytes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestFileBytes : public QObject
{
    Q_OBJECT

private slots:
    // A file is read into a buffer of its own size, never one of the limit:
    // opening a small file under a large limit must not need the limit's
    // worth of memory.
    void readsByTheFileSize_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint64>("maximum");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("small file, large limit") << QByteArray("thirty-four bytes of plain text!\r\n") << qint64(512) * 1024 * 1024 << true;
        QTest::newRow("empty file") << QByteArray() << qint64(100) << true;
        QTest::newRow("exactly the limit") << QByteArray(100, 'x') << qint64(100) << true;
        QTest::newRow("one byte over") << QByteArray(101, 'x') << qint64(100) << false;
    }

    void readsByTheFileSize()
    {
        QFETCH(QByteArray, content);
        QFETCH(qint64, maximum);
        QFETCH(bool, accepted);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("note.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QString error;
        const std::optional<QByteArray> bytes = FileBytes::read(path, maximum, &error);
        QCOMPARE(bool(bytes), accepted);
        if (!accepted) {
            QVERIFY2(error.contains(path) && error.contains(QStringLiteral("too large")), qPrintable(error));
            return;
        }
        QCOMPARE(*bytes, content);
        QVERIFY2(bytes->capacity() <= content.size() + 64, qPrintable(QString::number(bytes->capacity())));
    }
};

QTEST_GUILESS_MAIN(TestFileBytes)
#include "tst_filebytes.moc"
