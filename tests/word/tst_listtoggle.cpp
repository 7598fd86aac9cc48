#include "word/ListToggle.h"
#include "word/layout/PageTextItem.h"
#include "word/layout/WordTextDocument.h"

#include "textsystem/StyledTextDocument.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>
#include <functional>

namespace {

using Command = std::function<void(PageTextItem *)>;

// Every run of the document as (text, bold, picture name).
QStringList runs(const QTextDocument &document)
{
    QStringList result;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            result << QStringLiteral("%1|%2|%3")
                          .arg(it.fragment().text())
                          .arg(format.fontWeight())
                          .arg(format.isImageFormat() ? format.toImageFormat().name() : QString());
        }
        result << QStringLiteral("¶");
    }
    return result;
}

} // namespace

class TestListToggle : public QObject
{
    Q_OBJECT
private slots:
    void toggles_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("expected");
        const Command bullets(&ListToggle::toggleBullets);
        const Command numbers(&ListToggle::toggleNumbers);
        QTest::newRow("bullets on two lines, final break kept")
            << bullets << QStringLiteral("one\ntwo\n") << 0 << 8 << QStringLiteral("• one\n• two\n");
        QTest::newRow("bullets come off")
            << bullets << QStringLiteral("• one\n• two") << 0 << 11 << QStringLiteral("one\ntwo");
        QTest::newRow("bullets per line: mixed lines swap")
            << bullets << QStringLiteral("• one\ntwo") << 0 << 9 << QStringLiteral("one\n• two");
        QTest::newRow("bullets with a caret: its paragraph only")
            << bullets << QStringLiteral("one\ntwo") << 5 << 5 << QStringLiteral("one\n• two");
        QTest::newRow("numbers on two lines")
            << numbers << QStringLiteral("one\ntwo") << 0 << 7 << QStringLiteral("1. one\n2. two");
        QTest::newRow("numbers: first numbered removes all prefixes, others stay")
            << numbers << QStringLiteral("1. one\ntwo\n12. three") << 0 << 20 << QStringLiteral("one\ntwo\nthree");
        QTest::newRow("numbers: a tab after the full stop counts")
            << numbers << QStringLiteral("1.\tone\n2.\ttwo") << 0 << 13 << QStringLiteral("one\ntwo");
        QTest::newRow("numbers: empty paragraphs get none and are not counted")
            << numbers << QStringLiteral("one\n\ntwo") << 0 << 8 << QStringLiteral("1. one\n\n2. two");
        QTest::newRow("bullets: empty paragraphs get none")
            << bullets << QStringLiteral("one\n\ntwo") << 0 << 8 << QStringLiteral("• one\n\n• two");
        QTest::newRow("selection ending at a paragraph start leaves it out")
            << bullets << QStringLiteral("one\ntwo\nthree") << 0 << 8 << QStringLiteral("• one\n• two\nthree");
        QTest::newRow("on an empty document nothing happens")
            << numbers << QString() << 0 << 0 << QString();
    }
    void toggles()
    {
        QFETCH(Command, command);
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, expected);
        WordTextDocument document;
        PageTextItem item(&document);
        document.setPlainText(text);
        QTextCursor cursor(&document);
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        item.setTextCursor(cursor);
        command(&item);
        QCOMPARE(document.toPlainText(), expected);
        if (expected != text) {
            document.undo();
            QCOMPARE(document.toPlainText(), text);
        }
    }

    void roundTripKeepsFormatsAndPictures_data()
    {
        QTest::addColumn<Command>("command");
        QTest::newRow("bullets") << Command(&ListToggle::toggleBullets);
        QTest::newRow("numbers") << Command(&ListToggle::toggleNumbers);
    }
    void roundTripKeepsFormatsAndPictures()
    {
        QFETCH(Command, command);
        WordTextDocument document;
        PageTextItem item(&document);
        QTextCursor cursor(&document);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        cursor.insertText(QStringLiteral("Bold"), bold);
        cursor.insertText(QStringLiteral(" plain"), QTextCharFormat());
        cursor.insertBlock();
        QImage image(3, 3, QImage::Format_ARGB32);
        image.fill(Qt::blue);
        QTextImageFormat picture;
        picture.setName(document.addPicture(image));
        cursor.insertImage(picture);
        cursor.insertText(QStringLiteral(" caption"), QTextCharFormat());
        const QStringList before = runs(document);

        cursor.select(QTextCursor::Document);
        item.setTextCursor(cursor);
        command(&item);
        // The marker takes the paragraph's look; a picture's look stays the picture's.
        QCOMPARE(document.findBlockByNumber(1).begin().fragment().charFormat().isImageFormat(), false);
        QVERIFY(document.findBlockByNumber(0).begin().fragment().charFormat().fontWeight() == QFont::Bold);
        // One step undoes it all.
        document.undo();
        QCOMPARE(runs(document), before);
        document.redo();

        cursor.select(QTextCursor::Document);
        item.setTextCursor(cursor);
        command(&item);
        QCOMPARE(runs(document), before);
    }

    void listsReadFromAFileAreLeftOnSave()
    {
        StyledText text;
        TextAttributes listed;
        ParagraphStyle style;
        style.textLists = {TextList{QStringLiteral("{disc}"), 1}};
        listed.paragraphStyle = style;
        text.append(QStringLiteral("one\ntwo"), listed);
        WordTextDocument document;
        PageTextItem item(&document);
        StyledTextDocument::fill(&document, text);
        QVERIFY(document.firstBlock().textList());
        QTextCursor cursor(&document);
        cursor.select(QTextCursor::Document);
        item.setTextCursor(cursor);
        ListToggle::toggleBullets(&item);
        QCOMPARE(document.toPlainText(), QStringLiteral("one\ntwo"));
        const StyledText saved = StyledTextDocument::toStyledText(document);
        const TextAttributes first = saved.attributesAt(0);
        QVERIFY(!first.paragraphStyle || first.paragraphStyle->textLists.isEmpty());
    }

    void listedParagraphsLeaveTheirList_data()
    {
        QTest::addColumn<Command>("command");
        QTest::newRow("bullets") << Command(&ListToggle::toggleBullets);
        QTest::newRow("numbers") << Command(&ListToggle::toggleNumbers);
    }
    void listedParagraphsLeaveTheirList()
    {
        QFETCH(Command, command);
        WordTextDocument document;
        PageTextItem item(&document);
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("one"));
        cursor.createList(QTextListFormat::ListDecimal);
        cursor.insertBlock();
        cursor.insertText(QStringLiteral("two"));
        QVERIFY(document.lastBlock().textList());
        cursor.select(QTextCursor::Document);
        item.setTextCursor(cursor);
        command(&item);
        QCOMPARE(document.toPlainText(), QStringLiteral("one\ntwo"));
        QVERIFY(!document.firstBlock().textList());
        QVERIFY(!document.lastBlock().textList());
        document.undo();
        QVERIFY(document.firstBlock().textList());
    }
};

QTEST_MAIN(TestListToggle)
#include "tst_listtoggle.moc"
