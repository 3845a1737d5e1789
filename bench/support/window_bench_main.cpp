#include "support/window_bench_main.h"

#include <QApplication>
#include <QDir>
#include <benchmark/benchmark.h>
#include <cstdlib>

int runWindowBenchmarks(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Windows save their placement: keep that away from the real settings.
    char config[] = "/tmp/zelkova-bench-XXXXXX";
    const bool ownConfig = ::mkdtemp(config) != nullptr;
    if (ownConfig)
        ::setenv("XDG_CONFIG_HOME", config, 1);
    int result = 0;
    {
        QApplication app(argc, argv);
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv))
            result = 1;
        else
            benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    if (ownConfig)
        QDir(QString::fromLocal8Bit(config)).removeRecursively();
    return result;
}
