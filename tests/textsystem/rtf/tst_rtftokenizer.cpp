#include "textsystem/rtf/RtfTokenizer.h"

#include <QtTest>

namespace {

// The tokens as one line: { } \name[N] \symbol 'hh "text" bin(N).
QString describe(const QByteArray &rtf)
{
    RtfTokenizer tokenizer(rtf);
    QStringList parts;
    for (RtfToken token = tokenizer.next(); token.type != RtfToken::Type::End; token = tokenizer.next()) {
        switch (token.type) {
        case RtfToken::Type::GroupStart: parts << "{"; break;
        case RtfToken::Type::GroupEnd: parts << "}"; break;
        case RtfToken::Type::ControlWord:
            parts << "\\" + QString::fromLatin1(token.name)
                    + (token.parameter ? QString::number(*token.parameter) : QString());
            break;
        case RtfToken::Type::ControlSymbol:
            parts << (token.symbol == '\n' ? QStringLiteral("\\LF") : "\\" + QString(QLatin1Char(token.symbol)));
            break;
        case RtfToken::Type::Text: parts << '"' + QString::fromLatin1(token.bytes) + '"'; break;
        case RtfToken::Type::HexByte: parts << "'" + QString::number(token.byte, 16); break;
        case RtfToken::Type::Binary: parts << QStringLiteral("bin(%1)").arg(token.bytes.size()); break;
        case RtfToken::Type::End: break;
        }
    }
    return parts.join(' ');
}

} // namespace

class TestRtfTokenizer : public QObject
{
    Q_OBJECT

private slots:
    void tokens_data();
    void tokens();
};

void TestRtfTokenizer::tokens_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("tokens");

    QTest::newRow("header") << QByteArray("{\\rtf1\\ansi Hi}") << R"({ \rtf1 \ansi "Hi" })";
    QTest::newRow("space after word is its delimiter") << QByteArray("\\b  x") << R"(\b " x")";
    QTest::newRow("negative parameter") << QByteArray("\\u-3912?") << R"(\u-3912 "?")";
    QTest::newRow("parameter past 32 bits clamps") << QByteArray("\\fs99999999999999 \\li-99999999999")
                                                  << R"(\fs2147483647 \li-2147483648)";
    QTest::newRow("hyphen without digits is text") << QByteArray("\\b-x") << R"(\b "-x")";
    QTest::newRow("hex escapes") << QByteArray("\\'82\\'A0a") << R"('82 'a0 "a")";
    QTest::newRow("broken hex escape dropped") << QByteArray("\\'zzq\\'4") << R"("" "zzq" "" "4")";
    QTest::newRow("escaped braces and backslash") << QByteArray("\\{\\}\\\\") << R"("{" "}" "\")";
    QTest::newRow("line breaks dropped") << QByteArray("a\r\nb") << R"("a" "b")";
    QTest::newRow("escaped line break is a symbol") << QByteArray("a\\\r\nb") << R"("a" \LF "b")";
    QTest::newRow("control symbols") << QByteArray("\\~\\-\\_\\*") << R"(\~ \- \_ \*)";
    QTest::newRow("binary data") << QByteArray("\\bin3 {}\\x}") << R"(\bin3 bin(3) "x" })";
    QTest::newRow("binary past the end") << QByteArray("\\bin100 ab") << R"(\bin100 bin(2))";
    QTest::newRow("negative binary length") << QByteArray("\\bin-5 ab") << R"(\bin-5 bin(0) "ab")";
    QTest::newRow("trailing backslash") << QByteArray("ab\\") << R"("ab")";
}

void TestRtfTokenizer::tokens()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, tokens);
    QCOMPARE(describe(rtf), tokens);
}

QTEST_GUILESS_MAIN(TestRtfTokenizer)
#include "tst_rtftokenizer.moc"
