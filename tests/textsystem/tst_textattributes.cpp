#include "textsystem/BreakType.h"
#include "textsystem/DocXAttributeKey.h"
#include "textsystem/TextAttributes.h"

#include <QtTest>

Q_DECLARE_METATYPE(DocXAttributeKey)

class TestTextAttributes : public QObject
{
    Q_OBJECT

private slots:
    void breakTypeFromText_data();
    void breakTypeFromText();
    void keyNames_data();
    void keyNames();
    void mergeKeepsUnsetFields();
    void equality_data();
    void equality();
};

void TestTextAttributes::breakTypeFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("type"); // -1: none

    QTest::newRow("wrap") << "wrap" << int(BreakType::Wrap);
    QTest::newRow("page") << "page" << int(BreakType::Page);
    QTest::newRow("column") << "column" << int(BreakType::Column);
    QTest::newRow("case matters") << "Page" << -1;
    QTest::newRow("padded") << " page" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestTextAttributes::breakTypeFromText()
{
    QFETCH(QString, text);
    QFETCH(int, type);

    const auto found = ::breakTypeFromText(text);
    QCOMPARE(found ? int(*found) : -1, type);
    if (found)
        QCOMPARE(breakTypeText(*found), text);
}

void TestTextAttributes::keyNames_data()
{
    QTest::addColumn<DocXAttributeKey>("key");
    QTest::addColumn<QString>("suffix");

    QTest::newRow("break") << DocXAttributeKey::Break << "break";
    QTest::newRow("paragraph style") << DocXAttributeKey::ParagraphStyleId << "paragraphStyleId";
    QTest::newRow("character style") << DocXAttributeKey::CharacterStyleId << "characterStyleId";
    QTest::newRow("footnote reference") << DocXAttributeKey::FootnoteReferenceId << "footnoteReferenceId";
    QTest::newRow("endnote reference") << DocXAttributeKey::EndnoteReferenceId << "endnoteReferenceId";
    QTest::newRow("footnote body") << DocXAttributeKey::FootnoteBodyId << "footnoteBodyId";
    QTest::newRow("endnote body") << DocXAttributeKey::EndnoteBodyId << "endnoteBodyId";
}

void TestTextAttributes::keyNames()
{
    QFETCH(DocXAttributeKey, key);
    QFETCH(QString, suffix);

    const QString name = u"com.quenfold.docx.attributedstringkey."_qs + suffix;
    QCOMPARE(docXAttributeKeyName(key), name);
    QCOMPARE(&docXAttributeKeyName(key), &docXAttributeKeyName(key)); // one shared constant
    QCOMPARE(docXAttributeKeyFromName(name), key);
    QCOMPARE(docXAttributeKeyFromName(name.toUpper()), std::nullopt);
    QCOMPARE(docXAttributeKeyFromName(suffix), std::nullopt);
}

void TestTextAttributes::mergeKeepsUnsetFields()
{
    TextAttributes base;
    base.foreground = Qt::red;
    base.strokeWidth = -3.0;
    base.attachment = std::make_shared<const TextAttachment>();
    TextAttributes added;
    added.foreground = Qt::white;
    added.shadow = TextShadow{Qt::black, {6, -6}, 2};
    base.merge(added);
    QCOMPARE(*base.foreground, QColor(Qt::white));
    QCOMPARE(base.strokeWidth, -3.0);
    QVERIFY(base.attachment);
    QCOMPARE(base.shadow->blurRadius, 2.0);
    QVERIFY(!base.isEmpty());
    QVERIFY(TextAttributes{}.isEmpty());
}

void TestTextAttributes::equality_data()
{
    QTest::addColumn<TextAttributes>("a");
    QTest::addColumn<TextAttributes>("b");
    QTest::addColumn<bool>("equal");

    const auto picture = std::make_shared<const TextAttachment>();
    TextAttributes withPicture;
    withPicture.attachment = picture;
    TextAttributes withEqualPicture;
    withEqualPicture.attachment = std::make_shared<const TextAttachment>(*picture);
    QTest::newRow("same attachment") << withPicture << withPicture << true;
    QTest::newRow("equal attachments made apart") << withPicture << withEqualPicture << false;

    TextAttributes zeroWidth;
    zeroWidth.strokeWidth = 0.0;
    QTest::newRow("zero is not absent") << zeroWidth << TextAttributes{} << false;

    TextAttributes bulleted;
    bulleted.paragraphStyle = ParagraphStyle{};
    bulleted.paragraphStyle->textLists = {TextList{}};
    TextAttributes numbered = bulleted;
    numbered.paragraphStyle->textLists[0].markerFormat = TextList::decimal.toString();
    QTest::newRow("lists differ by marker") << bulleted << numbered << false;
    TextAttributes restarted = numbered;
    restarted.paragraphStyle->textLists[0].startingItemNumber = 3;
    QTest::newRow("lists differ by start") << numbered << restarted << false;

    TextAttributes broken;
    broken.breakType = BreakType::Wrap;
    QTest::newRow("wrap break is not absent") << broken << TextAttributes{} << false;
}

void TestTextAttributes::equality()
{
    QFETCH(TextAttributes, a);
    QFETCH(TextAttributes, b);
    QFETCH(bool, equal);

    QCOMPARE(a == b, equal);
    QCOMPARE(b == a, equal);
}

QTEST_GUILESS_MAIN(TestTextAttributes)
#include "tst_textattributes.moc"
