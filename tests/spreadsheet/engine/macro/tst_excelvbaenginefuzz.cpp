#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/macro/ExcelVBAEngine.h"
#include "support/FuzzRun.h"

#include <QRandomGenerator>
#include <QtTest>

// Random and mutated macro text must never crash, hang or break the
// document's shape. Runs a fixed seed for a fixed number of cases per
// generator (MORVANE_FUZZ_SECONDS runs each longer).
class TestExcelVBAEngineFuzz : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void tokenSoup();
    void mutatedMacros();
    void randomCharacters();

private:
    void runCase(const QString &code);
    QString token();
    QString mutate(QString code);
    static QString limitLoops(const QString &code);

    QRandomGenerator m_random{20240611};
    std::unique_ptr<ExcelDocument> m_document;
    std::unique_ptr<ExcelVBAEngine> m_engine;
    int m_messages = 0;
};

namespace {


const QStringList &vocabulary()
{
    static const QStringList words = {
        "Sub A()", "End Sub", "For i = ", "for j = ", " To ", " to ", " Step -1", "Next", "Next i", "nextRow = 1",
        "If ", " Then", "Else", "End If", "ElseIf ", "MsgBox ", "msgbox", "Cells(", "cells(i, ", "Range(\"",
        "\")", ")", "(", ",", "=", "==", "&", "+", "*", "-", "\"", "'", "\n", "\n", "\n", "\r\n", " ", "\t",
        "x", "i", "j", "Limit", "1", "0", "2", "-1", "3", "9223372036854775807", "-9223372036854775808",
        "9223372036854775808", "1e308", "nan", "inf", "0x1p3", "1.5", ".Value", ".Font.Bold", ".Interior.Color",
        "True", "false", "clear", "#FF0000", "<>", ">=", "<=", "<", ">", "A1", "a01", "B3", "ZZ99", "A1:B2",
        "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA1", "日本", QString(QChar(0)), QString(QChar(0x130)),
        QString(QChar(0xDF)), QString(QChar(0xD800)), QStringLiteral("\U0001F600"), "=SUM(A1:A3)"};
    return words;
}

const QStringList &corpus()
{
    static const QStringList macros = {
        "Sub A()\nFor i = 1 To 5\nCells(i, 1).Value = i * 2\nNext i\nMsgBox \"done\" & i\nEnd Sub",
        "Sub B()\nx = 3\nIf x > 2 Then\nRange(\"B2\").Font.Bold = True\nElse\nRange(\"B2\").Interior.Color = "
        "\"#00FF00\"\nEnd If\nEnd Sub",
        "Sub C()\nFor r = 1 To 3\nFor c = 1 To 3\nIf r = c Then\nCells(r, c) = \"=SUM(A1:C3)\"\nEnd If\n"
        "Next c\nNext r\nMsgBox Cells(1, 1) & Range(\"a01\")\nEnd Sub",
        "Sub D()\ns = \"a\" & \"b\"\nt = s & 1+2*3\nIf s <> \"\" Then\nCells(2, 2) = t\nEnd If\nEnd Sub\n"
        "Sub E()\nMsgBox t\nEnd Sub"};
    return macros;
}

} // namespace

void TestExcelVBAEngineFuzz::init()
{
    QCoreApplication::processEvents();
    m_document = std::make_unique<ExcelDocument>();
    m_engine = std::make_unique<ExcelVBAEngine>();
    m_engine->document = m_document.get();
    m_messages = 0;
    m_engine->onShowMessage = [this](const QString &) { ++m_messages; };
}

// Loops stay small (single-digit bounds, at most four per case) so every
// case ends long before the statement limit; that limit has its own test.
QString TestExcelVBAEngineFuzz::limitLoops(const QString &code)
{
    static const QRegularExpression digitRun(QStringLiteral("\\d+(\\d)"));
    QStringList lines = code.split(QLatin1Char('\n'));
    int loops = 0;
    for (QString &line : lines) {
        if (!line.trimmed().toLower().startsWith(QLatin1String("for ")))
            continue;
        if (++loops > 4)
            line.prepend(QLatin1Char('\''));
        else
            line.replace(digitRun, QStringLiteral("\\1"));
    }
    return lines.join(QLatin1Char('\n'));
}

void TestExcelVBAEngineFuzz::runCase(const QString &code)
{
    m_engine->run(limitLoops(code));
    QCOMPARE(m_document->rowCount(), ExcelDocument::defaultRowCount);
    for (const QStringList &row : m_document->cells())
        QCOMPARE(row.size(), ExcelDocument::defaultColumnCount);
    for (const QString &key : m_document->cellStyles().keys())
        QCOMPARE(CellReference::canonical(key).value_or(QString()), key);
    QCoreApplication::processEvents();
}

QString TestExcelVBAEngineFuzz::token()
{
    const QStringList &words = vocabulary();
    return words.at(int(m_random.bounded(quint32(words.size()))));
}

QString TestExcelVBAEngineFuzz::mutate(QString code)
{
    const int edits = 1 + int(m_random.bounded(6u));
    for (int edit = 0; edit < edits; ++edit) {
        const int at = code.isEmpty() ? 0 : int(m_random.bounded(quint32(code.size())));
        switch (m_random.bounded(5u)) {
        case 0:
            code.insert(at, token());
            break;
        case 1:
            code.remove(at, int(m_random.bounded(8u)));
            break;
        case 2:
            if (!code.isEmpty())
                code[at] = QChar(char16_t(m_random.bounded(0x3000u)));
            break;
        case 3: {
            QStringList lines = code.split(QLatin1Char('\n'));
            const int line = int(m_random.bounded(quint32(lines.size())));
            lines.insert(line, lines.at(int(m_random.bounded(quint32(lines.size())))));
            code = lines.join(QLatin1Char('\n'));
            break;
        }
        default:
            code.truncate(at);
            break;
        }
    }
    return code;
}

void TestExcelVBAEngineFuzz::tokenSoup()
{
    FuzzRun run(4000);
    while (run.next()) {
        QString code = QStringLiteral("Sub Fuzz()\n");
        const int tokens = int(m_random.bounded(80u));
        for (int i = 0; i < tokens; ++i)
            code += token();
        runCase(code);
    }
    qInfo("%d cases, %d messages", run.cases(), m_messages);
}

void TestExcelVBAEngineFuzz::mutatedMacros()
{
    FuzzRun run(300);
    while (run.next()) {
        const QStringList &macros = corpus();
        runCase(mutate(macros.at(int(m_random.bounded(quint32(macros.size()))))));
    }
    qInfo("%d cases, %d messages", run.cases(), m_messages);
}

void TestExcelVBAEngineFuzz::randomCharacters()
{
    FuzzRun run(6000);
    static const char16_t alphabet[] = u"SubEndForNxtIfThlsMgBoCRa()\"',=&+*<>0123456789. \n\r\t";
    while (run.next()) {
        QString code = QStringLiteral("Sub R()\n");
        const int length = int(m_random.bounded(200u));
        for (int i = 0; i < length; ++i) {
            const bool any = m_random.bounded(10u) == 0;
            code += any ? QChar(char16_t(m_random.bounded(0x10000u)))
                        : QChar(alphabet[m_random.bounded(quint32(std::size(alphabet) - 1))]);
        }
        runCase(code);
    }
    qInfo("%d cases, %d messages", run.cases(), m_messages);
}

QTEST_GUILESS_MAIN(TestExcelVBAEngineFuzz)
#include "tst_excelvbaenginefuzz.moc"
