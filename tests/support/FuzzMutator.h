#pragma once

// Seeded mutation of reader input, shared by the reader fuzz tests; the seed
// is MORVANE_FUZZ_SEED when set.

#include "FuzzRun.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QRandomGenerator>
#include <QTest>

#include <array>
#include <cstring>

class Mutator
{
public:
    explicit Mutator(quint32 seed) : m_random(seed) {}

    int bounded(int limit) { return limit <= 0 ? 0 : int(m_random.bounded(limit)); }

    QByteArray mutate(QByteArray data, const QList<QByteArray> &tokens = {})
    {
        const int edits = 1 + bounded(6);
        for (int i = 0; i < edits; ++i)
            mutateOnce(data, tokens);
        return data;
    }

private:
    void mutateOnce(QByteArray &data, const QList<QByteArray> &tokens)
    {
        const int at = bounded(int(data.size()) + 1);
        switch (bounded(tokens.isEmpty() ? 7 : 8)) {
        case 0: // flip a bit
            if (at < data.size())
                data[at] = char(data[at] ^ (1 << bounded(8)));
            break;
        case 1: // an interesting byte
            if (at < data.size())
                data[at] = "\0\xFF<>\"&/:09Az\x7F\x80"[bounded(15)];
            break;
        case 2: // delete a run
            data.remove(at, 1 + bounded(32));
            break;
        case 3: { // duplicate a run
            const QByteArray run = data.mid(bounded(int(data.size())), 1 + bounded(64));
            data.insert(at, run);
            break;
        }
        case 4: // truncate
            data.truncate(at);
            break;
        case 5: { // change a 32-bit field (sizes and offsets of archives and records)
            if (at + 4 <= data.size()) {
                const quint32 value = std::array<quint32, 5>{0, 1, 0x7FFFFFFF, 0xFFFFFFFF, m_random.generate()}[bounded(5)];
                std::memcpy(data.data() + at, &value, 4);
            }
            break;
        }
        case 6: { // change a 16-bit field (counts and indices of binary records)
            if (at + 2 <= data.size()) {
                const quint16 value = std::array<quint16, 5>{0, 1, 0x7FFF, 0xFFFF, quint16(m_random.generate())}[bounded(5)];
                std::memcpy(data.data() + at, &value, 2);
            }
            break;
        }
        default:
            data.insert(at, tokens[bounded(int(tokens.size()))]);
        }
    }

    QRandomGenerator m_random;
};

inline quint32 fuzzSeed()
{
    bool ok = false;
    const uint seed = qEnvironmentVariable("MORVANE_FUZZ_SEED").toUInt(&ok);
    return ok ? seed : 20240607;
}

// Calls `once` for `suiteCases` cases (or for MORVANE_FUZZ_SECONDS), stopping
// at the first failure; returns how many calls ran.
template<typename Fn>
int fuzzFor(int suiteCases, Fn once)
{
    FuzzRun run(suiteCases);
    while (run.next())
        once(run.current());
    return run.cases();
}

// The bytes of the file at `path`, empty when it cannot be read.
inline QByteArray fuzzReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The files of `folder` (seeds or kept crashers), sorted; none when it is missing.
inline QStringList fuzzFilesIn(const QString &folder)
{
    QStringList files;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        files << dir.filePath(name);
    return files;
}

// Writes `data` to `path` (replacing it) for a reader that takes a file.
inline bool fuzzWriteInput(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}
