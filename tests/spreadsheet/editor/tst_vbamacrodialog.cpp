#include "spreadsheet/editor/VbaMacroDialog.h"
#include "spreadsheet/editor/VbaMessageOverlay.h"
#include "spreadsheet/engine/document/ExcelDocument.h"
#include "support/StdoutCapture.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using Macros = QMap<QString, QString>;

class TestVbaMacroDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void presentSelectsTheFirstName_data();
    void presentSelectsTheFirstName();
    void newMacroTakesTheFirstFreeName_data();
    void newMacroTakesTheFirstFreeName();
    void loadingStoresNothing();
    void typingANameDoesNotRename();
    void renameHappensOnCommit_data();
    void renameHappensOnCommit();
    void blankNameKeepsStoringTheCode();
    void clickingARowCommitsAndSelects_data();
    void clickingARowCommitsAndSelects();
    void deleteSelectsTheFirstRemaining();
    void closeHandsTheCopyOver();
    void backdropDropsTheCopy();
    void runStoresAndRunsTheSelectedMacro();
    void stoppedRunShowsWhyOnTheCard();
    void messagesReachTheOverlay();

private:
    void typeName(const QString &name);
    void clickRow(const QString &name);
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<ExcelDocument> m_document;
    VbaMacroDialog *m_dialog = nullptr;
};

void TestVbaMacroDialog::init()
{
    m_window = std::make_unique<QWidget>();
    m_window->resize(900, 600);
    m_document = std::make_unique<ExcelDocument>();
    m_dialog = new VbaMacroDialog(m_document.get(), m_window.get());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestVbaMacroDialog::cleanup()
{
    m_window.reset();
    m_document.reset();
}

void TestVbaMacroDialog::typeName(const QString &name)
{
    m_dialog->nameField()->setFocus();
    m_dialog->nameField()->selectAll();
    QTest::keyClicks(m_dialog->nameField(), name);
}

void TestVbaMacroDialog::clickRow(const QString &name)
{
    QListWidget *list = m_dialog->macroList();
    const QList<QListWidgetItem *> rows = list->findItems(name, Qt::MatchExactly);
    QCOMPARE(rows.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(rows.first()).center());
}

void TestVbaMacroDialog::presentSelectsTheFirstName_data()
{
    QTest::addColumn<Macros>("macros");
    QTest::addColumn<QString>("selected");
    QTest::newRow("ascending order") << Macros{{"b", "B"}, {"a", "A"}} << "a";
    QTest::newRow("text order, not numeric") << Macros{{"Macro2", ""}, {"Macro10", ""}} << "Macro10";
    QTest::newRow("no macros selects nothing") << Macros{} << QString();
}

void TestVbaMacroDialog::presentSelectsTheFirstName()
{
    QFETCH(Macros, macros);
    QFETCH(QString, selected);
    m_document->setMacros(macros);
    m_dialog->present();
    QVERIFY(m_dialog->isOpen());
    QCOMPARE(m_dialog->selectedMacro().value_or(QString()), selected);
    QCOMPARE(m_dialog->nameField()->text(), selected);
    QCOMPARE(m_dialog->codeEditor()->toPlainText(), macros.value(selected));
    QCOMPARE(m_dialog->macroList()->count(), macros.size());
    const bool enabled = !macros.isEmpty();
    QCOMPARE(m_dialog->nameField()->isEnabled(), enabled);
    QCOMPARE(m_dialog->codeEditor()->isEnabled(), enabled);
    QCOMPARE(m_dialog->deleteButton()->isEnabled(), enabled);
    QCOMPARE(m_dialog->runButton()->isEnabled(), enabled);
    QVERIFY(m_dialog->newButton()->isEnabled());
}

void TestVbaMacroDialog::newMacroTakesTheFirstFreeName_data()
{
    QTest::addColumn<Macros>("macros");
    QTest::addColumn<QString>("name");
    QTest::newRow("empty list") << Macros{} << "Macro1";
    QTest::newRow("fills a gap") << Macros{{"Macro1", ""}, {"Macro3", ""}} << "Macro2";
    QTest::newRow("before a higher one") << Macros{{"Macro2", ""}} << "Macro1";
}

void TestVbaMacroDialog::newMacroTakesTheFirstFreeName()
{
    QFETCH(Macros, macros);
    QFETCH(QString, name);
    m_document->setMacros(macros);
    m_dialog->present();
    QTest::mouseClick(m_dialog->newButton(), Qt::LeftButton);
    QCOMPARE(m_dialog->selectedMacro(), std::optional(name));
    QCOMPARE(m_dialog->codeEditor()->toPlainText(), VbaMacroDialog::templateCode(name));
    QCOMPARE(m_dialog->localMacros().value(name),
             QStringLiteral("Sub %1()\n    ' ここにコードを書いてね！\n    Range(\"A1\").Value = \"Hello\"\nEnd Sub").arg(name));
    QCOMPARE(m_document->macros(), macros); // only the working copy changed
}

void TestVbaMacroDialog::loadingStoresNothing()
{
    const Macros macros{{"a", "code a"}, {"b", "code b"}};
    m_document->setMacros(macros);
    m_dialog->present();
    m_dialog->selectMacro(QStringLiteral("b"));
    m_dialog->selectMacro(QStringLiteral("a"));
    QCOMPARE(m_dialog->localMacros(), macros);
    QCOMPARE(m_dialog->codeEditor()->toPlainText(), QStringLiteral("code a"));
}

void TestVbaMacroDialog::typingANameDoesNotRename()
{
    m_document->setMacros({{"Macro1", "one"}, {"Macro2", "two"}});
    m_dialog->present();
    typeName(QStringLiteral("Macro2")); // passes through another macro's name
    QCOMPARE(m_dialog->localMacros(), (Macros{{"Macro1", "one"}, {"Macro2", "two"}}));
    QCOMPARE(m_dialog->selectedMacro(), std::optional(QStringLiteral("Macro1")));
}

void TestVbaMacroDialog::renameHappensOnCommit_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Macros>("result");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("field");
    QTest::newRow("new name renames") << "Test" << Macros{{"Test", "one"}, {"Other", "two"}} << "Test" << "Test";
    QTest::newRow("name is trimmed") << "  Test \t" << Macros{{"Test", "one"}, {"Other", "two"}} << "Test" << "Test";
    QTest::newRow("taken name is refused") << "Other" << Macros{{"Macro1", "one"}, {"Other", "two"}} << "Macro1"
                                           << "Macro1";
    QTest::newRow("blank name is refused") << "   " << Macros{{"Macro1", "one"}, {"Other", "two"}} << "Macro1"
                                           << "Macro1";
}

void TestVbaMacroDialog::renameHappensOnCommit()
{
    QFETCH(QString, typed);
    QFETCH(Macros, result);
    QFETCH(QString, selected);
    QFETCH(QString, field);
    m_document->setMacros({{"Macro1", "one"}, {"Other", "two"}});
    m_dialog->present();
    typeName(typed);
    QTest::keyClick(m_dialog->nameField(), Qt::Key_Return);
    QCOMPARE(m_dialog->localMacros(), result);
    QCOMPARE(m_dialog->selectedMacro(), std::optional(selected));
    QCOMPARE(m_dialog->nameField()->text(), field);
    QCOMPARE(m_dialog->macroNames(), result.keys());
}

void TestVbaMacroDialog::blankNameKeepsStoringTheCode()
{
    m_document->setMacros({{"Macro1", "old"}});
    m_dialog->present();
    m_dialog->nameField()->clear();
    m_dialog->codeEditor()->setPlainText(QStringLiteral("new code"));
    QCOMPARE(m_dialog->localMacros(), (Macros{{"Macro1", "new code"}}));

    QTest::mouseClick(m_dialog->runButton(), Qt::LeftButton);
    QCOMPARE(m_document->macros(), (Macros{{"Macro1", "new code"}}));
    QCOMPARE(m_dialog->nameField()->text(), QStringLiteral("Macro1"));
}

void TestVbaMacroDialog::clickingARowCommitsAndSelects_data()
{
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<Macros>("result");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("code");
    QTest::newRow("another macro's row") << "Other" << Macros{{"Test", "one"}, {"Other", "two"}} << "Other"
                                         << "two";
    // The list still shows the old name until the rename is committed.
    QTest::newRow("the renamed macro's own row") << "Macro1" << Macros{{"Test", "one"}, {"Other", "two"}}
                                                 << "Test" << "one";
}

void TestVbaMacroDialog::clickingARowCommitsAndSelects()
{
    QFETCH(QString, clicked);
    QFETCH(Macros, result);
    QFETCH(QString, selected);
    QFETCH(QString, code);
    m_document->setMacros({{"Macro1", "one"}, {"Other", "two"}});
    m_dialog->present();
    typeName(QStringLiteral("Test"));
    clickRow(clicked);
    QCOMPARE(m_dialog->localMacros(), result);
    QCOMPARE(m_dialog->selectedMacro(), std::optional(selected));
    QCOMPARE(m_dialog->nameField()->text(), selected);
    QCOMPARE(m_dialog->codeEditor()->toPlainText(), code);

    m_dialog->codeEditor()->setPlainText(QStringLiteral("edited"));
    result[selected] = QStringLiteral("edited");
    QCOMPARE(m_dialog->localMacros(), result); // no macro appears under the old name
}

void TestVbaMacroDialog::deleteSelectsTheFirstRemaining()
{
    m_document->setMacros({{"a", "A"}, {"b", "B"}});
    m_dialog->present();
    m_dialog->selectMacro(QStringLiteral("b"));
    typeName(QStringLiteral("renamed but not committed"));
    QTest::mouseClick(m_dialog->deleteButton(), Qt::LeftButton);
    QCOMPARE(m_dialog->localMacros(), (Macros{{"a", "A"}}));
    QCOMPARE(m_dialog->selectedMacro(), std::optional(QStringLiteral("a")));

    QTest::mouseClick(m_dialog->deleteButton(), Qt::LeftButton);
    QVERIFY(m_dialog->localMacros().isEmpty());
    QVERIFY(!m_dialog->selectedMacro());
    QVERIFY(m_dialog->nameField()->text().isEmpty());
    QVERIFY(m_dialog->codeEditor()->toPlainText().isEmpty());
    QVERIFY(!m_dialog->runButton()->isEnabled());
    QCOMPARE(m_document->macros(), (Macros{{"a", "A"}, {"b", "B"}}));
}

void TestVbaMacroDialog::closeHandsTheCopyOver()
{
    m_document->setMacros({{"Macro1", "one"}});
    m_dialog->present();
    m_dialog->codeEditor()->setPlainText(QStringLiteral("edited"));
    typeName(QStringLiteral("Renamed"));
    QTest::mouseClick(m_dialog->closeButton(), Qt::LeftButton);
    QVERIFY(!m_dialog->isOpen());
    QCOMPARE(m_document->macros(), (Macros{{"Renamed", "edited"}}));
}

void TestVbaMacroDialog::backdropDropsTheCopy()
{
    m_document->setMacros({{"Macro1", "one"}});
    m_dialog->present();
    m_dialog->codeEditor()->setPlainText(QStringLiteral("edited"));
    QTest::mouseClick(m_dialog, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!m_dialog->isOpen());
    QCOMPARE(m_document->macros(), (Macros{{"Macro1", "one"}}));

    m_dialog->present(); // starts afresh from the document
    QCOMPARE(m_dialog->codeEditor()->toPlainText(), QStringLiteral("one"));
}

void TestVbaMacroDialog::runStoresAndRunsTheSelectedMacro()
{
    m_dialog->present();
    QTest::mouseClick(m_dialog->newButton(), Qt::LeftButton);
    QTest::mouseClick(m_dialog->runButton(), Qt::LeftButton);
    QVERIFY(m_dialog->isOpen());
    QCOMPARE(m_document->macros().keys(), QStringList{"Macro1"});
    QCOMPARE(m_document->cell(0, 0), QStringLiteral("Hello"));

    m_document->setCell(0, 0, QString());
    QTest::mouseClick(m_dialog->runButton(), Qt::LeftButton);
    QCOMPARE(m_document->cell(0, 0), QStringLiteral("Hello"));
}

// A run the interpreter stops early prints why; the card shows the same line,
// and the next run that ends normally clears it.
void TestVbaMacroDialog::stoppedRunShowsWhyOnTheCard()
{
    m_document->setMacros({{"Grow", "Sub Grow()\ns = \"x\"\nFor i = 1 To 100\ns = s & s\nNext\nEnd Sub"},
                           {"Quick", "Sub Quick()\nCells(1, 1).Value = 1\nEnd Sub"}});
    m_dialog->present();
    m_dialog->selectMacro(QStringLiteral("Grow"));
    StdoutCapture output;
    QTest::mouseClick(m_dialog->runButton(), Qt::LeftButton);
    const QString printed = output.text();
    QVERIFY2(printed.startsWith(QStringLiteral("Macro stopped")), qPrintable(printed));
    QCOMPARE(m_dialog->error() + u'\n', printed);
    QVERIFY(m_dialog->errorLabel()->isVisible());

    m_dialog->selectMacro(QStringLiteral("Quick"));
    QTest::mouseClick(m_dialog->runButton(), Qt::LeftButton);
    QVERIFY(m_dialog->errorLabel()->isHidden());
}

void TestVbaMacroDialog::messagesReachTheOverlay()
{
    auto *overlay = new VbaMessageOverlay(m_window.get());
    connect(m_dialog, &VbaMacroDialog::messageReceived, overlay, &VbaMessageOverlay::showMessage);
    m_document->setMacros({{"Fill", "Sub Fill()\nFor i = 1 To 5\nCells(i, 2).Value = i * 10\nNext i\n"
                                    "MsgBox \"first\"\nMsgBox \"done\"\nEnd Sub"}});
    m_dialog->present();
    QTest::mouseClick(m_dialog->runButton(), Qt::LeftButton);
    QVERIFY(!overlay->isOpen()); // messages come after the run, on the event loop
    QTRY_VERIFY(overlay->isOpen());
    QCOMPARE(overlay->message(), QStringLiteral("done"));
    QCOMPARE(m_document->cell(4, 1), QStringLiteral("50"));
    QWidget *onTop = m_window->childAt(m_window->rect().center());
    QVERIFY(onTop == overlay || overlay->isAncestorOf(onTop)); // above the macro dialog

    QTest::mouseClick(overlay->okButton(), Qt::LeftButton);
    QVERIFY(!overlay->isOpen());
    QVERIFY(m_dialog->isOpen());
    QCOMPARE(overlay->message(), QStringLiteral("done"));
}

QTEST_MAIN(TestVbaMacroDialog)
#include "tst_vbamacrodialog.moc"
