#include "platform/ScratchRoot.h"
#include "platform/TemporaryFolder.h"

#include <QDir>
#include <QFile>
#include <QUuid>
#include <QtTest>

class TestTemporaryFolder : public QObject
{
    Q_OBJECT

private slots:
    void freshUuidFolderInScratchRoot();
    void removedWithContentsOnDestruction();
};

void TestTemporaryFolder::freshUuidFolderInScratchRoot()
{
    TemporaryFolder first;
    TemporaryFolder second;
    QVERIFY(first.isValid() && second.isValid());
    QVERIFY(first.path() != second.path());
    QVERIFY(QFileInfo(first.path()).isDir());
    const QFileInfo info(first.path());
    QCOMPARE(info.absolutePath(), ScratchRoot::processFolder());
    const QString name = info.fileName();
    QCOMPARE(name, name.toUpper());
    QVERIFY(!QUuid::fromString(name).isNull()); // no braces, still a UUID
    QVERIFY(!name.contains(u'{'));
    QCOMPARE(first.filePath(QStringLiteral("xl/styles.xml")), first.path() + QStringLiteral("/xl/styles.xml"));
}

void TestTemporaryFolder::removedWithContentsOnDestruction()
{
    QString path;
    {
        TemporaryFolder folder;
        path = folder.path();
        QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("a/b"))));
        QFile file(folder.filePath(QStringLiteral("a/b/.hidden")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    QVERIFY(!QFileInfo::exists(path));
}

QTEST_GUILESS_MAIN(TestTemporaryFolder)
#include "tst_temporaryfolder.moc"
