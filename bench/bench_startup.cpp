// Start-up to the main window shown: constructing TfrmMain with its tool windows, showing it
// and processing events until its last control has painted, against a bare window of the same
// size shown the same way. The very first showing in the process (application object and
// fonts included) is measured once, cold, and checked against the half-second budget.
#include "app/main_window.h"
#include "app/tool_windows.h"
#include "common/resources_init.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {
constexpr qint64 budgetNs = 500'000'000;

// Notes the first paint of the widget it watches.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* target) : target_(target) { target->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == target_ && event->type() == QEvent::Paint)
            painted = true;
        return false;
    }

private:
    QWidget* target_;
};

// Shows `window` and processes events until `last` (its last control) has painted.
bool showAndWait(QWidget& window, QWidget* last) {
    PaintWatch watch(last);
    window.show();
    QElapsedTimer timeout;
    timeout.start();
    while (!watch.painted && timeout.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return watch.painted;
}

qint64 showBare() {
    QElapsedTimer t;
    t.start();
    QWidget w;
    w.setFixedSize(546, 413);
    if (!showAndWait(w, &w))
        std::abort();
    return t.nsecsElapsed();
}

qint64 showMain() {
    QElapsedTimer t;
    t.start();
    TfrmMain w;
    plugInToolWindows(w); // as the program starts: the statistics window is made here too
    if (!showAndWait(w, w.btClose))
        std::abort();
    return t.nsecsElapsed();
}

void BM_BareWindowShown(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(showBare());
}
BENCHMARK(BM_BareWindowShown)->Unit(benchmark::kMillisecond);

void BM_MainWindowShown(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(showMain());
}
BENCHMARK(BM_MainWindowShown)->Unit(benchmark::kMillisecond);

qint64 median(std::vector<qint64> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    // Cold: from the application object to the main window painted, once per process.
    QElapsedTimer cold;
    cold.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelkova '95"));
    initResources();
    const qint64 coldMain = showMain();
    const qint64 coldTotal = cold.nsecsElapsed();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();

    // Warm, interleaved so that both feel the same machine load.
    std::vector<qint64> bare, main;
    for (int i = 0; i < 30; ++i) {
        bare.push_back(showBare());
        main.push_back(showMain());
    }
    const qint64 bareNs = median(bare);
    const qint64 mainNs = median(main);
    std::printf("\nstart-up, cold: application and main window shown %.1f ms "
                "(main window alone %.1f ms); budget %.0f ms: %s\n",
                coldTotal / 1e6, coldMain / 1e6, budgetNs / 1e6,
                coldTotal < budgetNs ? "within" : "OVER");
    std::printf("start-up, warm median of 30: main window %.2f ms, bare window %.2f ms, "
                "ratio %.2f\n",
                mainNs / 1e6, bareNs / 1e6, double(mainNs) / double(bareNs));
    benchmark::Shutdown();
    return coldTotal < budgetNs ? 0 : 1;
}
