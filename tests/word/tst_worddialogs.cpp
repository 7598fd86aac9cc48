#include "word/MorvaneWordView.h"
#include "word/OpenDocumentCard.h"
#include "word/SaveDocumentCard.h"
#include "word/WordRibbon.h"
#include "word/layout/WordTextDocument.h"

#include "platform/AppState.h"
#include "platform/widgets/FileList.h"
#include "platform/widgets/FolderLocationRow.h"
#include "support/StdoutCapture.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("{\\rtf1 hello}");
}

struct Screen
{
    Screen()
    {
        view.resize(1200, 900);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setSelectedSaveLocation(dir.path());
        view.setFolderChooser([this](QWidget *, const QString &) { return chosenFolder; });
        settle();
    }
    QTemporaryDir dir;
    QString chosenFolder;
    MorvaneWordView view;
};

} // namespace

class TestWordDialogs : public QObject
{
    Q_OBJECT
private slots:
    void saveCardShapeAndFields()
    {
        Screen s;
        s.view.ribbon()->button(WordRibbon::Action::Save)->click();
        SaveDocumentCard *card = s.view.saveCard();
        QVERIFY(card->isOpen());
        QVERIFY(s.view.isShowingSaveDialog());
        QCOMPARE(card->card()->width(), 450);
        QCOMPARE(card->fileNameField()->text(), QStringLiteral("MorvaneDocument"));
        QCOMPARE(card->fileNameField()->placeholderText(), QStringLiteral("ファイル名"));
        QCOMPARE(card->extensionLabel()->text(), QStringLiteral(".rtf"));
        QCOMPARE(card->formatPicker()->count(), 10);
        QCOMPARE(card->formatPicker()->itemText(0), QStringLiteral("Rich Text (.rtf)"));
        QCOMPARE(card->formatPicker()->itemText(8), QStringLiteral("一太郎 8-以降 (.jxw)"));
        QCOMPARE(card->locationRow()->path(), s.dir.path());
    }

    void cancelAndBackdropKeepTheTypedNameAndFormat()
    {
        Screen s;
        s.view.ribbon()->button(WordRibbon::Action::Save)->click();
        SaveDocumentCard *card = s.view.saveCard();
        QTest::keyClicks(card->fileNameField(), QStringLiteral("2"));
        emit card->formatPicker()->activated(5);
        QCOMPARE(card->extensionLabel()->text(), QStringLiteral(".html"));
        // A click on the dimmed backdrop closes the card without saving.
        QTest::mouseClick(card, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!card->isOpen());
        QVERIFY(!s.view.isShowingSaveDialog());
        QVERIFY(QDir(s.dir.path()).isEmpty());
        s.view.ribbon()->button(WordRibbon::Action::Save)->click();
        QCOMPARE(card->fileNameField()->text(), QStringLiteral("MorvaneDocument2"));
        QCOMPARE(card->formatPicker()->currentIndex(), 5);
        card->cancelButton()->click();
        QVERIFY(!s.view.isShowingSaveDialog());
        QCOMPARE(s.view.fileName(), QStringLiteral("MorvaneDocument2"));
        QCOMPARE(s.view.selectedFormat(), DocumentFormat::Html);
    }

    void saveThroughTheCard()
    {
        Screen s;
        s.view.ribbon()->button(WordRibbon::Action::Save)->click();
        SaveDocumentCard *card = s.view.saveCard();
        card->fileNameField()->clear();
        QTest::keyClicks(card->fileNameField(), QStringLiteral("card"));
        card->saveButton()->click();
        QVERIFY(QFileInfo::exists(s.dir.filePath(QStringLiteral("card.rtf"))));
        QVERIFY(!card->isOpen());
        QVERIFY(!AppState::shared().hasUnsavedChanges(AppState::Editor::Word));
    }

    void failedSaveShowsItsErrorLine_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder");
        QTest::newRow("slash") << QStringLiteral("a/b") << QString();
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("folder under a file") << QStringLiteral("ok") << QStringLiteral("blocker/sub");
    }
    void failedSaveShowsItsErrorLine()
    {
        QFETCH(QString, name);
        QFETCH(QString, folder);
        Screen s;
        if (!folder.isEmpty()) {
            touch(s.dir.filePath(QStringLiteral("blocker")));
            s.view.setSelectedSaveLocation(s.dir.filePath(folder));
        }
        s.view.ribbon()->button(WordRibbon::Action::Save)->click();
        SaveDocumentCard *card = s.view.saveCard();
        card->fileNameField()->setText(name);
        emit card->fileNameField()->textEdited(name);
        StdoutCapture capture;
        card->saveButton()->click();
        const auto printed = capture.finish();
        QVERIFY(printed && printed->startsWith("Save error: "));
        QVERIFY(card->isOpen());
        QCOMPARE(card->error(), QString::fromUtf8(printed->trimmed()));
        QVERIFY(card->errorLabel()->isVisible());
        card->cancelButton()->click();
        QVERIFY(card->error().isEmpty());
    }

    void openCardListsAndOpens()
    {
        Screen s;
        touch(s.dir.filePath(QStringLiteral("a.rtf")));
        touch(s.dir.filePath(QStringLiteral("b.txt")));
        s.view.ribbon()->button(WordRibbon::Action::Open)->click();
        OpenDocumentCard *card = s.view.openCard();
        QVERIFY(card->isOpen());
        QCOMPARE(card->fileList()->files(), QStringList{s.dir.filePath(QStringLiteral("a.rtf"))});
        QCOMPARE(card->fileList()->height(), 200);
        emit card->fileList()->fileClicked(s.dir.filePath(QStringLiteral("a.rtf")));
        QVERIFY(card->isOpen()); // closes when the document is applied
        settle();
        QVERIFY(!card->isOpen());
        QCOMPARE(s.view.fileName(), QStringLiteral("a"));
        QCOMPARE(s.view.document()->toPlainText(), QStringLiteral("hello"));
    }

    void failedOpenShowsItsErrorLine()
    {
        Screen s;
        QFile bad(s.dir.filePath(QStringLiteral("bad.docx")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a package");
        bad.close();
        s.view.ribbon()->button(WordRibbon::Action::Open)->click();
        OpenDocumentCard *card = s.view.openCard();
        StdoutCapture capture;
        emit card->fileList()->fileClicked(bad.fileName());
        settle();
        const auto printed = capture.finish();
        QVERIFY(printed && printed->startsWith("Open error: "));
        QVERIFY(card->isOpen());
        QCOMPARE(card->error(), QString::fromUtf8(printed->trimmed()));
    }

    // A page opened without some of its parts says so where a refusal
    // would, naming the file, so that a save over it is no surprise.
    void pageOpenedWithinBoundsSaysSo()
    {
        Screen s;
        QFile page(s.dir.filePath(QStringLiteral("wide.html")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<table><tr><td colspan=65535>cell</td></tr><tr><td colspan=65535>row</td></tr></table>");
        page.close();
        s.view.ribbon()->button(WordRibbon::Action::Open)->click();
        OpenDocumentCard *card = s.view.openCard();
        StdoutCapture capture;
        emit card->fileList()->fileClicked(page.fileName());
        settle();
        const auto printed = capture.finish();
        QVERIFY(printed && printed->contains(page.fileName().toUtf8()) && printed->contains("table cells"));
        QCOMPARE(s.view.fileName(), QStringLiteral("wide"));
        QVERIFY(s.view.document()->toPlainText().contains(QStringLiteral("row")));
        QVERIFY(card->isOpen());
        QCOMPARE(card->error(), QString::fromUtf8(printed->trimmed()));
        QCOMPARE(s.view.lastNotice(), card->error());
        QVERIFY(s.view.lastError().isEmpty());
    }

    void folderChoosers()
    {
        Screen s;
        QTemporaryDir other;
        touch(other.filePath(QStringLiteral("x.htm")));
        s.chosenFolder = other.path();
        s.view.ribbon()->button(WordRibbon::Action::Open)->click();
        OpenDocumentCard *open = s.view.openCard();
        QVERIFY(open->fileList()->files().isEmpty());
        open->locationRow()->changeButton()->click();
        // The open card's chooser refreshes the list at once.
        QCOMPARE(open->fileList()->files(), QStringList{other.filePath(QStringLiteral("x.htm"))});
        QCOMPARE(s.view.selectedSaveLocation(), other.path());
        open->closeButton()->click();

        s.chosenFolder = s.dir.path();
        s.view.ribbon()->button(WordRibbon::Action::Save)->click();
        s.view.saveCard()->locationRow()->changeButton()->click();
        QCOMPARE(s.view.saveCard()->locationRow()->path(), s.dir.path());
        // Cancelling the chooser changes nothing.
        s.chosenFolder.clear();
        s.view.saveCard()->locationRow()->changeButton()->click();
        QCOMPARE(s.view.selectedSaveLocation(), s.dir.path());
    }

    void openLayerLiesAboveTheSaveLayer()
    {
        Screen s;
        s.view.setShowingSaveDialog(true);
        s.view.setShowingOpenDialog(true);
        QWidget *top = s.view.childAt(QPoint(5, 5));
        while (top && top != s.view.openCard() && top != s.view.saveCard())
            top = top->parentWidget();
        QCOMPARE(top, static_cast<QWidget *>(s.view.openCard()));
    }
};

QTEST_MAIN(TestWordDialogs)
#include "tst_worddialogs.moc"
