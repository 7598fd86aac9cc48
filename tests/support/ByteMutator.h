#pragma once

#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QList>
#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

#include "support/FuzzRun.h"

#include <array>

// Test helper for seeded mutation fuzzing of binary readers: bit flips,
// interesting bytes, deleted, duplicated and truncated runs, and 16- or
// 32-bit fields set to edge values (sizes, counts and offsets). The suite
// runs a fixed number of cases with a fixed seed; MORVANE_FUZZ_SECONDS and
// MORVANE_FUZZ_SEED search longer.
class ByteMutator
{
public:
    explicit ByteMutator(quint32 seed) : m_random(seed) {}

    int bounded(int limit) { return limit <= 0 ? 0 : int(m_random.bounded(limit)); }

    QByteArray mutate(QByteArray data)
    {
        const int edits = 1 + bounded(4);
        for (int i = 0; i < edits; ++i)
            mutateOnce(data);
        return data;
    }

    static quint32 seed()
    {
        bool ok = false;
        const uint value = qEnvironmentVariable("MORVANE_FUZZ_SEED").toUInt(&ok);
        return ok ? value : 20240607;
    }

    // Calls once(run) for the suite's fixed number of cases (longer with
    // MORVANE_FUZZ_SECONDS), stopping at the first failure; returns how many
    // calls ran.
    template <typename Fn>
    static int runFor(Fn once, int suiteCases = 400)
    {
        FuzzRun run(suiteCases);
        while (run.next())
            once(run.current());
        return run.cases();
    }

    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QStringList filesIn(const QString &folder)
    {
        QStringList files;
        QDirIterator it(folder, QDir::Files);
        while (it.hasNext())
            files << it.next();
        files.sort();
        return files;
    }

private:
    void mutateOnce(QByteArray &data)
    {
        const int at = bounded(int(data.size()) + 1);
        switch (bounded(7)) {
        case 0:
            if (at < data.size())
                data[at] = char(data[at] ^ (1 << bounded(8)));
            break;
        case 1:
            if (at < data.size())
                data[at] = "\0\x01\x07\x0D\x13\x14\x15\x7F\x80\xFE\xFF"[bounded(11)];
            break;
        case 2:
            data.remove(at, 1 + bounded(32));
            break;
        case 3:
            data.insert(at, data.mid(bounded(int(data.size())), 1 + bounded(64)));
            break;
        case 4:
            if (bounded(4) == 0)
                data.truncate(at);
            break;
        case 5:
            if (at + 2 <= data.size()) {
                const quint16 value = std::array<quint16, 5>{0, 1, 0x7FFF, 0xFFFF, quint16(m_random.generate())}[bounded(5)];
                qToLittleEndian(value, data.data() + at);
            }
            break;
        default:
            if (at + 4 <= data.size()) {
                const quint32 value = std::array<quint32, 6>{0, 1, 0x7FFFFFFF, 0xFFFFFFFF, 0xFFFFFFFE,
                                                             m_random.generate()}[bounded(6)];
                qToLittleEndian(value, data.data() + at);
            }
            break;
        }
    }

    QRandomGenerator m_random;
};
