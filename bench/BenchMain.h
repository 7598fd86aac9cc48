#pragma once

#include <QCoreApplication>
#include <benchmark/benchmark.h>

// Runs the registered benchmarks inside an application object of type App
// (QApplication for benchmarks that draw widgets), passing the command line
// to both. Returns 0.
template <typename App = QCoreApplication>
int runBenchmarks(int argc, char **argv)
{
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
