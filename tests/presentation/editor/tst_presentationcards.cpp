#include "EditorTestSupport.h"
#include "platform/widgets/FileList.h"
#include "platform/widgets/FolderLocationRow.h"
#include "presentation/editor/MorvanePowerPointView.h"
#include "presentation/editor/OpenPresentationDialog.h"
#include "presentation/editor/SavePresentationDialog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace EditorTest;

// The save and open cards of the presentation screen, on a scratch folder.
class TestPresentationCards : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MorvanePowerPointView> m_view;
    std::unique_ptr<QTemporaryDir> m_folder;

    QString path(const QString &name) const { return m_folder->filePath(name); }
    void typeFileName(const QString &name)
    {
        QLineEdit *field = m_view->saveDialog()->fileNameField();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        typeThroughInputMethod(field, name);
    }
    void chooseFormat(PPTXFileFormat format)
    {
        QComboBox *picker = m_view->saveDialog()->formatPicker();
        const int index = picker->findData(int(format));
        picker->setCurrentIndex(index);
        emit picker->activated(index);
    }

private slots:
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        m_view = std::make_unique<MorvanePowerPointView>();
        m_view->setSelectedSaveLocation(m_folder->path());
        m_view->setFolderChooser([](QWidget *, const QString &) { return QString(); });
        m_view->resize(1200, 800);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void cleanup()
    {
        m_view.reset();
        m_folder.reset();
    }

    void saveWritesTheChosenFormatAndClearsTheFlag_data()
    {
        QTest::addColumn<PPTXFileFormat>("format");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("written");
        QTest::newRow("defaults") << PPTXFileFormat::Pptx << QString() << "MorvanePresentation.pptx";
        QTest::newRow("template") << PPTXFileFormat::Potx << "雛形" << "雛形.potx";
        QTest::newRow("extension typed is kept") << PPTXFileFormat::Pptx << "deck.pptx" << "deck.pptx.pptx";
    }
    void saveWritesTheChosenFormatAndClearsTheFlag()
    {
        QFETCH(PPTXFileFormat, format);
        QFETCH(QString, name);
        QFETCH(QString, written);
        m_view->document()->addSlide(); // sets the flag
        m_view->showSaveDialog();
        chooseFormat(format);
        QCOMPARE(m_view->saveDialog()->extensionLabel()->text(), QLatin1Char('.') + PPTXFileFormats::extension(format));
        if (!name.isEmpty())
            typeFileName(name);
        QVERIFY(presentationUnsaved());
        m_view->saveDialog()->saveButton()->click();
        QVERIFY(QFile::exists(path(written)));
        QVERIFY(!m_view->saveDialog()->isOpen());
        QVERIFY(!presentationUnsaved());
        QCOMPARE(m_view->selectedFormat(), format);
    }

    void badNamesAndFailedWritesKeepTheCardOpen_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("slash") << "a/b" << false;
        QTest::newRow("control character") << QStringLiteral("a\tb") << false;
        QTest::newRow("folder cannot be written") << "deck" << true;
    }
    void badNamesAndFailedWritesKeepTheCardOpen()
    {
        QFETCH(QString, name);
        QFETCH(bool, readOnlyFolder);
        if (readOnlyFolder) {
            QFile::setPermissions(m_folder->path(), QFile::ReadOwner | QFile::ExeOwner);
            if (QFileInfo(m_folder->path()).isWritable())
                QSKIP("running with rights that ignore folder permissions");
        }
        m_view->document()->addSlide();
        m_view->showSaveDialog();
        typeFileName(name);
        QVERIFY(!m_view->savePresentation());
        QFile::setPermissions(m_folder->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(m_view->saveDialog()->isOpen());
        QVERIFY(m_view->saveDialog()->error().startsWith(QStringLiteral("Export PowerPoint error: ")));
        QVERIFY(m_view->saveDialog()->error().size() > 26);
        QVERIFY(presentationUnsaved());
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }

    void openListsPresentationsOnly()
    {
        for (const char *name : {"a.PPTX", "b.potx", "c.docx", ".hidden.pptx"})
            QFile(path(QString::fromLatin1(name))).open(QIODevice::WriteOnly);
        m_view->showOpenDialog();
        QVERIFY(m_view->openDialog()->isOpen());
        QStringList names;
        for (const QString &file : m_view->openFiles())
            names.append(QFileInfo(file).fileName());
        names.sort();
        QCOMPARE(names, (QStringList{".hidden.pptx", "a.PPTX", "b.potx"}));
        QCOMPARE(m_view->openDialog()->fileList()->count(), 3);

        m_view->setSelectedSaveLocation(path("gone"));
        m_view->refreshOpenFiles();
        QVERIFY(m_view->openFiles().isEmpty());
        QVERIFY(!m_view->openDialog()->error().isEmpty());
    }

    void folderChooserIsInjectedAndSharedByBothCards()
    {
        QDir(m_folder->path()).mkdir(QStringLiteral("sub"));
        QFile(path(QStringLiteral("sub/x.pptx"))).open(QIODevice::WriteOnly);
        const QString sub = path(QStringLiteral("sub"));
        m_view->setFolderChooser([sub](QWidget *, const QString &) { return sub; });
        m_view->showOpenDialog();
        m_view->openDialog()->locationRow()->changeButton()->click();
        QCOMPARE(m_view->folder(), sub);
        QCOMPARE(m_view->openFiles(), QStringList{QDir(sub).filePath(QStringLiteral("x.pptx"))});
        QCOMPARE(m_view->saveDialog()->locationRow()->path(), sub);
    }

    void openSetsNameAndFlagByExtension_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("documentName");
        QTest::addColumn<bool>("unsaved");
        QTest::newRow("upper-case pptx") << "Plan.PPTX" << "Plan" << false;
        QTest::newRow("template") << "Master.potx" << "UntitledPresentation" << true;
    }
    void openSetsNameAndFlagByExtension()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, documentName);
        QFETCH(bool, unsaved);
        PowerPointDocument source;
        source.addSlide();
        source.addSlide();
        QVERIFY(source.exportPPTX(path(fileName), nullptr));
        m_view->showOpenDialog();
        QVERIFY(m_view->openPresentation(path(fileName)));
        QCOMPARE(m_view->document()->slideCount(), 3);
        QCOMPARE(m_view->documentName(), documentName);
        QCOMPARE(presentationUnsaved(), unsaved);
        QVERIFY(!m_view->openDialog()->isOpen());
    }

    void failedOpenChangesNothing()
    {
        QFile junk(path(QStringLiteral("junk.pptx")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a zip file at all");
        junk.close();
        m_view->document()->addSlide();
        markSaved();
        const QList<Slide> before = m_view->document()->slides();
        m_view->showOpenDialog();
        QVERIFY(!m_view->openPresentation(junk.fileName()));
        QCOMPARE(m_view->document()->slides(), before);
        QCOMPARE(m_view->documentName(), QStringLiteral("MorvanePresentation"));
        QVERIFY(!presentationUnsaved());
        QVERIFY(m_view->openDialog()->isOpen());
        QVERIFY(m_view->openDialog()->error().startsWith(QStringLiteral("Import PowerPoint error: ")));
    }

    void backdropClickClosesWithoutSaving()
    {
        m_view->showSaveDialog();
        QTest::mouseClick(m_view->saveDialog(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QVERIFY(!m_view->saveDialog()->isOpen());
        QVERIFY(QDir(m_folder->path()).isEmpty());
    }

    void keysStayInsideTheCard()
    {
        QLineEdit *name = m_view->saveDialog()->fileNameField();
        m_view->showSaveDialog();
        QVERIFY(name->hasFocus());
        // Tab would walk out of the card into the editor beneath.
        for (int i = 0; i < 12; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY(m_view->saveDialog()->isAncestorOf(QApplication::focusWidget()));
        }
        m_view->saveDialog()->close();
    }
};

QTEST_MAIN(TestPresentationCards)
#include "tst_presentationcards.moc"
