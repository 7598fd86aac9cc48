// Random edits, appends and mid() calls against a naive model that keeps one
// attribute set per character; after every step the runs, the longest ranges
// and the paragraphs must agree.
#include "textsystem/StyledText.h"

#include <QRandomGenerator>
#include <QtTest>

#include <vector>

namespace {

struct NaiveText
{
    QString text;
    std::vector<TextAttributes> attributes; // one per character

    void setAttributes(TextRange range, const TextAttributes &value)
    {
        range = range.clamped(text.size());
        for (qsizetype i = range.location; i < range.end(); ++i)
            attributes[i] = value;
    }
    void append(const NaiveText &other)
    {
        text += other.text;
        attributes.insert(attributes.end(), other.attributes.begin(), other.attributes.end());
    }
    NaiveText mid(TextRange range) const
    {
        range = range.clamped(text.size());
        return {text.mid(range.location, range.length),
                {attributes.begin() + range.location, attributes.begin() + range.end()}};
    }
    // Maximal ranges of equal attributes.
    QList<TextRange> runs() const
    {
        QList<TextRange> result;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (i > 0 && attributes[i] == attributes[i - 1])
                ++result.last().length;
            else
                result.append({i, 1});
        }
        return result;
    }
    TextRange longestRange(qsizetype index, TextRange limit) const
    {
        qsizetype start = index;
        qsizetype stop = index + 1;
        while (start > 0 && start > limit.location && attributes[start - 1] == attributes[index])
            --start;
        while (stop < text.size() && stop < limit.end() && attributes[stop] == attributes[index])
            ++stop;
        return {start, stop - start};
    }
    QList<TextParagraph> paragraphs() const
    {
        QList<TextParagraph> result;
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c != u'\n' && c != u'\r' && c != QChar::ParagraphSeparator)
                continue;
            const bool crlf = c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
            const qsizetype enclosingEnd = i + (crlf ? 2 : 1);
            result.append(TextParagraph{{start, i - start}, {start, enclosingEnd - start}});
            start = enclosingEnd;
            i = enclosingEnd - 1;
        }
        if (start < text.size())
            result.append(TextParagraph{{start, text.size() - start}, {start, text.size() - start}});
        return result;
    }
};

class Fuzzer
{
public:
    explicit Fuzzer(quint32 seed) : m_random(seed)
    {
        const TextAttachmentPointer picture = std::make_shared<const TextAttachment>();
        const TextAttachmentPointer samePicture = std::make_shared<const TextAttachment>();
        m_palette.resize(6);
        m_palette[1].foreground = Qt::red;
        m_palette[2].foreground = Qt::red;
        m_palette[2].footnoteReferenceId = 7;
        m_palette[3].attachment = picture;
        m_palette[4].attachment = samePicture;
        m_palette[5].font = FontDescriptor{QStringLiteral("Serif"), {}, 11.0, true, false};
    }

    TextAttributes attributes() { return m_palette[m_random.bounded(int(m_palette.size()))]; }

    // Mostly inside the text, sometimes past its ends or empty.
    TextRange range(qsizetype length)
    {
        const qsizetype start = m_random.bounded(-2, int(length) + 3);
        return {start, m_random.bounded(-1, int(length) + 3)};
    }

    QString characters()
    {
        static const QString alphabet = QStringLiteral("ab\r\n ") + QChar::ParagraphSeparator + QChar(0xD83D);
        QString result;
        const int count = m_random.bounded(0, 6);
        for (int i = 0; i < count; ++i)
            result += alphabet[m_random.bounded(int(alphabet.size()))];
        return result;
    }

    int bounded(int high) { return m_random.bounded(high); }

private:
    QRandomGenerator m_random;
    std::vector<TextAttributes> m_palette;
};

} // namespace

class TestStyledTextRandom : public QObject
{
    Q_OBJECT

private slots:
    void agreesWithNaiveModel_data();
    void agreesWithNaiveModel();

private:
    static void compare(const StyledText &text, const NaiveText &model, Fuzzer &fuzzer);
};

void TestStyledTextRandom::compare(const StyledText &text, const NaiveText &model, Fuzzer &fuzzer)
{
    QCOMPARE(text.string(), model.text);
    QList<TextRange> runs;
    text.forEachRun(TextRange::everything(), [&](const TextAttributes &attributes, TextRange range) {
        runs.append(range);
        QVERIFY(attributes == model.attributes[range.location]);
    });
    QCOMPARE(runs, model.runs());
    QCOMPARE(text.runCount(), runs.size());
    QCOMPARE(text.paragraphs(), model.paragraphs());

    for (int probe = 0; probe < 3 && !model.text.isEmpty(); ++probe) {
        const qsizetype index = fuzzer.bounded(int(model.text.size()));
        const TextRange limit = fuzzer.range(model.text.size());
        TextRange found;
        QVERIFY(text.attributesAt(index, &found, limit) == model.attributes[index]);
        const TextRange clampedLimit = limit.clamped(model.text.size());
        const TextRange expected = clampedLimit.contains(index) ? model.longestRange(index, clampedLimit)
                                                                : TextRange{index, 0};
        QCOMPARE(found, expected);
    }
}

void TestStyledTextRandom::agreesWithNaiveModel_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 8; ++seed)
        QTest::addRow("seed %u", seed) << seed;
}

void TestStyledTextRandom::agreesWithNaiveModel()
{
    QFETCH(quint32, seed);
    Fuzzer fuzzer(seed);
    StyledText text;
    NaiveText model;

    for (int step = 0; step < 600; ++step) {
        switch (fuzzer.bounded(5)) {
        case 0: {
            const QString characters = fuzzer.characters();
            const TextAttributes attributes = fuzzer.attributes();
            text.append(characters, attributes);
            model.append({characters, std::vector<TextAttributes>(characters.size(), attributes)});
            break;
        }
        case 1: {
            const TextRange range = fuzzer.range(text.length());
            const TextAttributes attributes = fuzzer.attributes();
            text.setAttributes(range, attributes);
            model.setAttributes(range, attributes);
            break;
        }
        case 2: {
            const TextRange range = fuzzer.range(text.length());
            const auto recolour = [](TextAttributes &attributes) { attributes.foreground = Qt::red; };
            text.modifyAttributes(range, recolour);
            const TextRange clamped = range.clamped(model.text.size());
            for (qsizetype i = clamped.location; i < clamped.end(); ++i)
                recolour(model.attributes[i]);
            break;
        }
        case 3: {
            const TextRange range = fuzzer.range(text.length());
            const StyledText part = text.mid(range);
            const NaiveText modelPart = model.mid(range);
            compare(part, modelPart, fuzzer);
            text.append(part);
            model.append(modelPart);
            break;
        }
        case 4: // keep lengths bounded: restart from a piece
            if (text.length() > 200) {
                const TextRange range = fuzzer.range(text.length());
                text = text.mid(range);
                model = model.mid(range);
            }
            break;
        }
        compare(text, model, fuzzer);
        if (QTest::currentTestFailed()) {
            qWarning() << "failed at step" << step << text;
            return;
        }
    }
}

QTEST_GUILESS_MAIN(TestStyledTextRandom)
#include "tst_styledtextrandom.moc"
