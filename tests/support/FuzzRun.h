#pragma once

// How long a seeded fuzz target runs. The suite runs a fixed number of cases,
// so a slow machine runs the same inputs as a fast one; MORVANE_FUZZ_SECONDS
// runs each target for that many seconds instead (never fewer cases).

#include <QElapsedTimer>
#include <QtGlobal>
#include <QtTest>

class FuzzRun
{
public:
    explicit FuzzRun(int suiteCases)
        : m_suiteCases(suiteCases)
    {
        bool ok = false;
        const int seconds = qEnvironmentVariableIntValue("MORVANE_FUZZ_SECONDS", &ok);
        m_budgetMs = ok ? qint64(seconds) * 1000 : 0;
        m_timer.start();
    }

    // True while another case is due and no check of the test has failed;
    // counts the case.
    bool next()
    {
        if (QTest::currentTestFailed() || (m_cases >= m_suiteCases && m_timer.elapsed() >= m_budgetMs))
            return false;
        ++m_cases;
        return true;
    }

    // The number of the case next() has just let run, from 0.
    int current() const { return m_cases - 1; }
    int cases() const { return m_cases; }

private:
    int m_suiteCases;
    qint64 m_budgetMs = 0;
    int m_cases = 0;
    QElapsedTimer m_timer;
};
