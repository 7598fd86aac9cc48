#include "platform/FileWrite.h"

#include <QTemporaryDir>
#include <QtTest>

class TestFileWrite : public QObject
{
    Q_OBJECT

private slots:
    void createsFoldersAndReplaces();
    void failureKeepsOldFileAndExplains_data();
    void failureKeepsOldFileAndExplains();

private:
    static QByteArray contents(const QString &path);
};

QByteArray TestFileWrite::contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestFileWrite::createsFoldersAndReplaces()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("xl/worksheets/sheet1.xml"));
    QString error;
    QVERIFY2(FileWrite::atomically(path, "first", &error), qPrintable(error));
    QCOMPARE(contents(path), QByteArray("first"));
    QVERIFY(FileWrite::atomically(path, "second", &error));
    QCOMPARE(contents(path), QByteArray("second"));
    QCOMPARE(QDir(folder.filePath(QStringLiteral("xl/worksheets"))).entryList(QDir::Files | QDir::Hidden),
             QStringList(QStringLiteral("sheet1.xml"))); // no scratch file left behind
}

void TestFileWrite::failureKeepsOldFileAndExplains_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("target is a folder") << "folder";
    QTest::newRow("parent is a file") << "old.txt/child.txt";
}

void TestFileWrite::failureKeepsOldFileAndExplains()
{
    QFETCH(QString, target);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("folder")));
    const QString old = folder.filePath(QStringLiteral("old.txt"));
    QVERIFY(FileWrite::atomically(old, "old", nullptr));

    QString error;
    QVERIFY(!FileWrite::atomically(folder.filePath(target), "new", &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(contents(old), QByteArray("old"));
}

QTEST_GUILESS_MAIN(TestFileWrite)
#include "tst_filewrite.moc"
