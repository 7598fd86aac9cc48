#include "platform/widgets/SymbolIcon.h"
#include "support/PixmapInk.h"

#include <QDir>
#include <QImage>
#include <QTest>

class TestSymbolIcon : public QObject
{
    Q_OBJECT
private slots:
    void everySharedSymbolDraws();
    void unknownNameGivesNull();
    void buttonIconTintsTheCheckedState();
    void rowIconTintsTheSelectedRowAtBothRatios();
};

// Every screen draws its symbols from the one resource folder; a symbol
// whose SVG does not parse would leave a blank button.
void TestSymbolIcon::everySharedSymbolDraws()
{
    SymbolIcon::pixmap(QStringLiteral("plus"), Qt::black, 1); // registers the resources
    const QStringList files = QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.svg")});
    QVERIFY(files.size() >= 20);
    for (const QString &file : files) {
        const QString name = file.chopped(4);
        const QPixmap pixmap = SymbolIcon::pixmap(name, Qt::red, 16, 1.0);
        QVERIFY2(!pixmap.isNull(), qPrintable(name));
        QCOMPARE(inkOf(pixmap).rgb(), QColor(Qt::red).rgb());
    }
}

void TestSymbolIcon::unknownNameGivesNull()
{
    QVERIFY(SymbolIcon::pixmap(QStringLiteral("no.such.symbol"), Qt::black, 16).isNull());
}

void TestSymbolIcon::buttonIconTintsTheCheckedState()
{
    const QIcon icon = SymbolIcon::icon(QStringLiteral("bold"), Qt::black, 14, Qt::blue);
    QCOMPARE(inkOf(icon.pixmap(QSize(14, 14), 2.0, QIcon::Normal, QIcon::Off)).rgb(),
             QColor(Qt::black).rgb());
    QCOMPARE(inkOf(icon.pixmap(QSize(14, 14), 2.0, QIcon::Normal, QIcon::On)).rgb(),
             QColor(Qt::blue).rgb());
}

void TestSymbolIcon::rowIconTintsTheSelectedRowAtBothRatios()
{
    const QIcon icon =
        SymbolIcon::rowIcon(QStringLiteral("tablecells.fill"), Qt::blue, Qt::white, 18);
    for (qreal ratio : {1.0, 2.0}) {
        const QPixmap normal = icon.pixmap(QSize(18, 18), ratio, QIcon::Normal);
        const QPixmap selected = icon.pixmap(QSize(18, 18), ratio, QIcon::Selected);
        QCOMPARE(normal.width(), qRound(18 * ratio));
        QCOMPARE(inkOf(normal).rgb(), QColor(Qt::blue).rgb());
        QCOMPARE(inkOf(selected).rgb(), QColor(Qt::white).rgb());
    }
}

QTEST_MAIN(TestSymbolIcon)
#include "tst_symbolicon.moc"
