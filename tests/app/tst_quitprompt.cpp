#include "app/QuitPrompt.h"
#include "platform/AppState.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QTest>

using Choice = QuitPrompt::Choice;
using Editor = AppState::Editor;

Q_DECLARE_METATYPE(QDialogButtonBox::ButtonLayout)

namespace {

// Lays dialog buttons out the way another platform does.
class ButtonLayoutStyle : public QProxyStyle
{
public:
    explicit ButtonLayoutStyle(QDialogButtonBox::ButtonLayout layout)
        : m_layout(layout)
    {
    }
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *data) const override
    {
        if (hint == SH_DialogButtonLayout)
            return m_layout;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }

private:
    QDialogButtonBox::ButtonLayout m_layout;
};

QStringList buttonsLeftToRight(const QMessageBox &box)
{
    QList<QAbstractButton *> buttons = box.buttons();
    std::sort(buttons.begin(), buttons.end(), [](QAbstractButton *a, QAbstractButton *b) {
        return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x();
    });
    QStringList texts;
    for (QAbstractButton *button : buttons)
        texts << button->text();
    return texts;
}

QAbstractButton *buttonNamed(const QMessageBox &box, const QString &text)
{
    for (QAbstractButton *button : box.buttons()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

void clearAllShares()
{
    for (Editor editor : {Editor::Word, Editor::Spreadsheet, Editor::Presentation})
        AppState::shared().setHasUnsavedChanges(editor, false);
}

} // namespace

class TestQuitPrompt : public QObject
{
    Q_OBJECT
private slots:
    void init() { clearAllShares(); }
    void mayQuit_data();
    void mayQuit();
    void messageBoxTexts();
    void buttonOrderOnEveryLayout_data();
    void buttonOrderOnEveryLayout();
    void eachButtonGivesItsChoice_data();
    void eachButtonGivesItsChoice();
    void escapeAndClosingCancel();
};

void TestQuitPrompt::mayQuit_data()
{
    QTest::addColumn<QList<Editor>>("unsaved");
    QTest::addColumn<Choice>("answer");
    QTest::addColumn<bool>("asks");
    QTest::addColumn<bool>("quits");

    const QList<Editor> none;
    const QList<Editor> sheet{Editor::Spreadsheet};
    QTest::newRow("nothing unsaved quits without asking") << none << Choice::Cancel << false << true;
    QTest::newRow("save keeps running") << sheet << Choice::Save << true << false;
    QTest::newRow("cancel keeps running") << sheet << Choice::Cancel << true << false;
    QTest::newRow("don't save quits") << sheet << Choice::DontSave << true << true;
    QTest::newRow("several editors unsaved still asks once")
        << QList<Editor>{Editor::Word, Editor::Presentation} << Choice::Save << true << false;
}

void TestQuitPrompt::mayQuit()
{
    QFETCH(QList<Editor>, unsaved);
    QFETCH(Choice, answer);
    QFETCH(bool, asks);
    QFETCH(bool, quits);
    for (Editor editor : unsaved)
        AppState::shared().setHasUnsavedChanges(editor, true);
    int asked = 0;
    const QuitPrompt prompt([&](QWidget *) {
        ++asked;
        return answer;
    });
    QCOMPARE(prompt.mayQuit(nullptr), quits);
    QCOMPARE(asked, asks ? 1 : 0);
    QCOMPARE(AppState::shared().hasUnsavedChanges(), !unsaved.isEmpty());
}

void TestQuitPrompt::messageBoxTexts()
{
    std::unique_ptr<QMessageBox> box(QuitPrompt::createMessageBox(nullptr));
    QCOMPARE(box->text(), QStringLiteral("終了する前にドキュメントを保存しますか？"));
    QCOMPARE(box->informativeText(), QStringLiteral("保存しない場合、変更内容は失われます。"));
    QCOMPARE(box->buttons().size(), 3);
    QCOMPARE(box->defaultButton()->text(), QStringLiteral("保存"));
    QCOMPARE(box->escapeButton()->text(), QStringLiteral("キャンセル"));
}

void TestQuitPrompt::buttonOrderOnEveryLayout_data()
{
    QTest::addColumn<QDialogButtonBox::ButtonLayout>("layout");
    QTest::newRow("Win layout") << QDialogButtonBox::WinLayout;
    QTest::newRow("Mac layout") << QDialogButtonBox::MacLayout;
    QTest::newRow("KDE layout") << QDialogButtonBox::KdeLayout;
    QTest::newRow("GNOME layout") << QDialogButtonBox::GnomeLayout;
    QTest::newRow("Android layout") << QDialogButtonBox::AndroidLayout;
}

// Opened without a modal loop so the test can look at the laid-out buttons.
void TestQuitPrompt::buttonOrderOnEveryLayout()
{
    QFETCH(QDialogButtonBox::ButtonLayout, layout);
    ButtonLayoutStyle style(layout);
    std::unique_ptr<QMessageBox> box(QuitPrompt::createMessageBox(nullptr));
    box->setStyle(&style);
    for (QAbstractButton *button : box->buttons())
        button->setStyle(&style);
    box->findChild<QDialogButtonBox *>()->setStyle(&style);
    box->setWindowModality(Qt::NonModal);
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    const QStringList expected{QStringLiteral("保存"), QStringLiteral("保存しない"),
                               QStringLiteral("キャンセル")};
    QCOMPARE(buttonsLeftToRight(*box), expected);
    box->hide();
}

void TestQuitPrompt::eachButtonGivesItsChoice_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Choice>("choice");
    QTest::newRow("保存") << QStringLiteral("保存") << Choice::Save;
    QTest::newRow("保存しない") << QStringLiteral("保存しない") << Choice::DontSave;
    QTest::newRow("キャンセル") << QStringLiteral("キャンセル") << Choice::Cancel;
}

void TestQuitPrompt::eachButtonGivesItsChoice()
{
    QFETCH(QString, button);
    QFETCH(Choice, choice);
    std::unique_ptr<QMessageBox> box(QuitPrompt::createMessageBox(nullptr));
    box->setWindowModality(Qt::NonModal);
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QTest::mouseClick(buttonNamed(*box, button), Qt::LeftButton);
    QCOMPARE(QuitPrompt::choiceOf(*box), choice);
}

void TestQuitPrompt::escapeAndClosingCancel()
{
    std::unique_ptr<QMessageBox> box(QuitPrompt::createMessageBox(nullptr));
    box->setWindowModality(Qt::NonModal);
    QCOMPARE(QuitPrompt::choiceOf(*box), Choice::Cancel); // nothing clicked yet
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QTest::keyClick(box.get(), Qt::Key_Escape);
    QCOMPARE(QuitPrompt::choiceOf(*box), Choice::Cancel);
    QVERIFY(!box->isVisible());
}

QTEST_MAIN(TestQuitPrompt)
#include "tst_quitprompt.moc"
