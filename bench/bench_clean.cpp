// The quick cleaner end to end, through the real window, and the saving of its list.
//
// - ScanVsFind: the 300,000-file tree in 20,000 folders (warm cache) with the six default
//   extensions selected: Scan pressed, the drive walked, every name tested, the temporary
//   files recorded, the grid filled and sorted by size; against
//   `find TREE -type f -printf '%s %f %h\n' >/dev/null` run alternately in the same process.
//   The walk runs on the default threads. Budget: ratio (scan / find) at most 0.65.
// - SaveThousand: a list of 1,000 entries written to the settings file in one replacement,
//   beside other sections. Budget: under 50 ms.
#include "clean/clean_window.h"
#include "clean/temp_extensions.h"
#include "common/locations.h"
#include "controls/pick_list.h"
#include "finders/scan_session.h"
#include "platform/drives.h"
#include "support/finder_bench.h"
#include "support/window_bench_main.h"

#include <QCheckBox>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// Scan pressed and the scan run to its end.
void scanOnce(TfrmClean& w) {
    scanToEnd([&] { w.btScanClick(); }, [&] { return w.session().scanning(); });
}

void ScanVsFind(benchmark::State& state) {
    const std::string& root = mainTree();
    QTemporaryDir settings;
    const QString ini = settings.path() + QStringLiteral("/z.ini");
    WriteOutToDisk(defaultTempEntries(), ini);
    setDriveListSeam([root] {
        return std::vector<Drive>{Drive{QString::fromStdString(root), "bench", "ext4"}};
    });
    auto w = std::make_unique<TfrmClean>();
    w->IniFileName = ini;
    w->show();
    w->pnlDrives->box(1)->setChecked(true);
    state.counters["extensions"] = double(w->PickList1->selectedTexts().size());
    scanAgainstFind(
        state, root, [&] { scanOnce(*w); }, [&] { return double(w->rowCounter); });
}

void SaveThousand(benchmark::State& state) {
    QTemporaryDir settings;
    const QString ini = settings.path() + QStringLiteral("/z.ini");
    // A settings file as a while of use leaves it: placements and totals beside the list.
    QFile f(ini);
    if (f.open(QIODevice::WriteOnly))
        f.write("[/usr/bin/zelkova]\nfrmMods=0 0 10 10 1 1 1 1 1 1\n[Zelkova]\nNdelete=5\n");
    f.close();
    QStringList list;
    for (int i = 0; i < 1000; ++i)
        list << QStringLiteral("*.x%1\tX%1 File").arg(i);
    for (auto _ : state) {
        const auto t = Clock::now();
        WriteOutToDisk(list, ini);
        state.SetIterationTime(secondsSince(t));
    }
    state.counters["entries_read_back"] = double(ReadInFromDisk(ini).size());
}

} // namespace

BENCHMARK(ScanVsFind)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(SaveThousand)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv) {
    return runWindowBenchmarks(argc, argv);
}
