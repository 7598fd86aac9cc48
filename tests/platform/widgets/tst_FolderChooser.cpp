#include "platform/widgets/FolderChooser.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestFolderChooser : public QObject
{
    Q_OBJECT
private slots:
    void answer_data();
    void answer();
};

void TestFolderChooser::answer_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("choosing gives the folder") << true;
    QTest::newRow("cancelling gives nothing") << false;
}

// Runs the real dialog and answers it from a timer, as a user would.
void TestFolderChooser::answer()
{
    QFETCH(bool, accept);
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORMTHEME"))
        QSKIP("a platform theme may show a native dialog that the test cannot answer");
    QTemporaryDir start;
    QVERIFY(start.isValid());
    QDir(start.path()).mkdir(QStringLiteral("inner"));
    bool sawDialog = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        sawDialog = true;
        QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(start.path()).canonicalPath());
        QVERIFY(dialog->fileMode() == QFileDialog::Directory);
        if (accept)
            QMetaObject::invokeMethod(dialog, "accept");
        else
            dialog->reject();
    });
    const QString chosen = systemFolderChooser()(nullptr, start.path());
    QVERIFY(sawDialog);
    if (accept)
        QCOMPARE(QDir(chosen).canonicalPath(), QDir(start.path()).canonicalPath());
    else
        QVERIFY(chosen.isEmpty());
}

QTEST_MAIN(TestFolderChooser)
#include "tst_FolderChooser.moc"
