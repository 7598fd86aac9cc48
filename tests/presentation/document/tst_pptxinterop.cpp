// LibreOffice Impress opens the packages we write with every slide in place.
// It shows none of their content: our slide parts hold the editor's own
// vocabulary, not DrawingML. Skips when soffice is missing.

#include "presentation/document/PowerPointDocument.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString soffice()
{
    return QStandardPaths::findExecutable(QStringLiteral("soffice"));
}

} // namespace

class TestPptxInterop : public QObject
{
    Q_OBJECT

private slots:
    void impressOpensOurPackagesWithEverySlide_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("slides");
        QTest::newRow("presentation, one slide") << "one.pptx" << 1;
        QTest::newRow("presentation, three slides") << "three.pptx" << 3;
        QTest::newRow("template, two slides") << "two.potx" << 2;
    }

    void impressOpensOurPackagesWithEverySlide()
    {
        QFETCH(QString, fileName);
        QFETCH(int, slides);
        QVERIFY(m_dir.isValid());
        if (!m_converted)
            convertAll();
        QFile flat(m_dir.filePath(QStringLiteral("out/") + QFileInfo(fileName).completeBaseName()
                                  + QStringLiteral(".fodp")));
        QVERIFY2(flat.open(QIODevice::ReadOnly), qPrintable(m_log));
        QCOMPARE(int(flat.readAll().count("<draw:page ")), slides);
    }

private:
    // One LibreOffice start converts every file of the table to flat ODF.
    void convertAll()
    {
        m_converted = true;
        const QList<std::pair<QString, int>> files = {{"one.pptx", 1}, {"three.pptx", 3}, {"two.potx", 2}};
        QStringList arguments = {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(m_dir.filePath("profile")).toString(),
                                 QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("fodp"),
                                 QStringLiteral("--outdir"), m_dir.filePath(QStringLiteral("out"))};
        for (const auto &[name, count] : files) {
            PowerPointDocument document;
            for (int i = 1; i < count; ++i)
                document.addSlide();
            document.addObject(SlideObjectType::Circle, 0);
            PresentationError error;
            QVERIFY2(document.exportPPTX(m_dir.filePath(name), &error), qPrintable(error.message));
            arguments << m_dir.filePath(name);
        }
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(soffice(), arguments);
        QVERIFY(process.waitForFinished(240000));
        m_log = QString::fromUtf8(process.readAll());
    }

    QTemporaryDir m_dir;
    bool m_converted = false;
    QString m_log;
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (soffice().isEmpty()) {
        std::puts("LibreOffice (soffice) is not installed");
        return 77;
    }
    TestPptxInterop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pptxinterop.moc"
