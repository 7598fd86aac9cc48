#include "platform/UserFolders.h"

#include <QTemporaryDir>
#include <QtTest>

class TestUserFolders : public QObject
{
    Q_OBJECT

private slots:
    void desktopOrHome();
    void listIncludesHiddenEntries();
    void listFailureExplains_data();
    void listFailureExplains();
};

// HOME and XDG_CONFIG_HOME point into a scratch folder, so the Desktop there
// can be made and removed.
void TestUserFolders::desktopOrHome()
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
    QCOMPARE(UserFolders::desktopOrHome(), home.path());
    QVERIFY(QDir(home.path()).mkdir(QStringLiteral("Desktop")));
    QCOMPARE(UserFolders::desktopOrHome(), home.filePath(QStringLiteral("Desktop")));
}

void TestUserFolders::listIncludesHiddenEntries()
{
    QTemporaryDir folder;
    const QStringList made = { QStringLiteral(".hidden"), QString::fromUtf16(u"売上.xlsx"), QStringLiteral("b.csv") };
    for (const QString &name : made) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("sub")));

    const UserFolders::Listing listing = UserFolders::list(folder.path());
    QVERIFY(listing.ok());
    QStringList names = listing.names;
    names.sort();
    QStringList expected = made + QStringList(QStringLiteral("sub"));
    expected.sort();
    QCOMPARE(names, expected);
}

void TestUserFolders::listFailureExplains_data()
{
    QTest::addColumn<QString>("relative");
    QTest::newRow("missing folder") << "missing";
    QTest::newRow("a file") << "file.txt";
}

void TestUserFolders::listFailureExplains()
{
    QFETCH(QString, relative);
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("file.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QString path = folder.filePath(relative);

    const UserFolders::Listing listing = UserFolders::list(path);
    QVERIFY(!listing.ok());
    QVERIFY(listing.names.isEmpty());
    QVERIFY2(listing.error.contains(path), qPrintable(listing.error));
}

QTEST_GUILESS_MAIN(TestUserFolders)
#include "tst_userfolders.moc"
