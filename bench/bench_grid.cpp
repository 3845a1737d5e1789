// Filling and sorting a result grid of a million keyed rows, each against a reference run in
// the same process: filling a plain std::vector<quint32>, and std::sort of a million ints.
// Every figure is reported as an absolute time and as a ratio to its reference; the budget is
// under a second for each fill and each sort.
//
// Painting a screenful of very long paths (1,000 folder levels of 250-byte names, 250 KB
// each) against painting the same rows with paths of 250 bytes: a cell is elided before it is
// shaped, so the ratio stays near 1 however long the paths. The same grid drawn the way cells
// were drawn before (the whole text handed to the painter, clipped to the cell) is run beside
// it for comparison.
#include "platform/date_text.h"
#include "widgets/grid_sort.h"
#include "widgets/string_grid.h"

#include <QApplication>
#include <QDate>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRows = 1'000'000;
constexpr int kDistinctDates = 4000;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The finder-like records behind the keyed rows: a name, a size and a date per file.
struct Records {
    std::vector<QString> names;
    std::vector<qint64> sizes;
    std::vector<quint16> dates; // index into dateTexts
    std::vector<QString> dateTexts;
    std::vector<qint64> dateDays; // Julian day of each date text

    Records() {
        std::mt19937 rng(42);
        names.reserve(kRows);
        sizes.reserve(kRows);
        dates.reserve(kRows);
        static const char* stems[] = {"readme", "setup", "Report", "data", "image", "notes"};
        for (int i = 0; i < kRows; ++i) {
            names.push_back(QStringLiteral("%1_%2.txt")
                                .arg(QLatin1String(stems[rng() % 6]))
                                .arg(rng() % 100000));
            sizes.push_back(qint64(rng() % 4'000'000'000u));
            dates.push_back(quint16(rng() % kDistinctDates));
        }
        const QDate start(1995, 1, 1);
        for (int d = 0; d < kDistinctDates; ++d) {
            dateTexts.push_back(shortDateText(start.addDays(d)));
            dateDays.push_back(start.addDays(d).toJulianDay());
        }
    }

    // Column 0 name, 1 size with thousands commas, 2 date.
    QString cell(quint32 key, int col) const {
        switch (col) {
        case 0:
            return names[key];
        case 1: {
            QString s = QString::number(sizes[key]);
            for (qsizetype i = s.size() - 3; i > 0; i -= 3)
                s.insert(i, u',');
            return s;
        }
        default:
            return dateTexts[dates[key]];
        }
    }
};

const Records& records() {
    static const Records r;
    return r;
}

void makeGrid(StringGrid& grid) {
    grid.setColCount(3);
    grid.setRowSource([](quint32 key, int col) { return records().cell(key, col); });
    std::vector<quint32> keys(kRows);
    std::iota(keys.begin(), keys.end(), 0u);
    grid.setKeyedRows(1, keys);
}

// Reference for the fills: a plain vector of a million keys, grown one at a time.
double referenceFill() {
    const auto start = Clock::now();
    std::vector<quint32> v;
    for (int i = 0; i < kRows; ++i)
        v.push_back(quint32(i));
    benchmark::DoNotOptimize(v.data());
    return secondsSince(start);
}

// Reference for the sorts: std::sort of a million random ints.
double referenceSort() {
    std::mt19937 rng(7);
    std::vector<int> v(kRows);
    for (int& x : v)
        x = int(rng());
    const auto start = Clock::now();
    std::sort(v.begin(), v.end());
    benchmark::DoNotOptimize(v.data());
    return secondsSince(start);
}

long residentBytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

void report(benchmark::State& state, double total, double reference) {
    const double mean = total / double(state.iterations());
    state.counters["ms"] = mean * 1000.0;
    state.counters["ref_ms"] = reference * 1000.0;
    state.counters["ratio"] = mean / reference;
    state.counters["under_1s"] = mean < 1.0 ? 1 : 0;
}

// One batch of a million keyed rows.
void BM_FillKeyedRows(benchmark::State& state) {
    records();
    const double reference = referenceFill();
    double total = 0;
    long bytes = 0;
    for (auto _ : state) {
        StringGrid grid;
        grid.setColCount(3);
        grid.setRowSource([](quint32 key, int col) { return records().cell(key, col); });
        std::vector<quint32> keys(kRows);
        std::iota(keys.begin(), keys.end(), 0u);
        const long before = residentBytes();
        const auto start = Clock::now();
        grid.setKeyedRows(1, keys);
        const double t = secondsSince(start);
        bytes = residentBytes() - before;
        state.SetIterationTime(t);
        total += t;
    }
    report(state, total, reference);
    state.counters["bytes_per_row"] = double(bytes) / kRows;
}

// Row by row as a scan fills it: the row count grows by 50 whenever the row to write is
// missing, and each row gets its key.
void BM_FillRowByRow(benchmark::State& state) {
    records();
    const double reference = referenceFill();
    double total = 0;
    for (auto _ : state) {
        StringGrid grid;
        grid.setColCount(3);
        grid.setRowSource([](quint32 key, int col) { return records().cell(key, col); });
        grid.setRowCount(2);
        const auto start = Clock::now();
        for (int row = 1; row <= kRows; ++row) {
            if (grid.rowCount() <= row)
                grid.setRowCount(grid.rowCount() + 50);
            grid.setRowKey(row, quint32(row - 1));
        }
        grid.setRowCount(kRows + 1);
        const double t = secondsSince(start);
        state.SetIterationTime(t);
        total += t;
    }
    report(state, total, reference);
}

// Sorting a shuffled grid; the shuffle is not timed.
template <typename Sort> void sortBench(benchmark::State& state, Sort sort) {
    records();
    const double reference = referenceSort();
    StringGrid grid;
    makeGrid(grid);
    std::mt19937 rng(3);
    std::vector<int> order(kRows);
    double total = 0;
    for (auto _ : state) {
        std::iota(order.begin(), order.end(), 1);
        std::shuffle(order.begin(), order.end(), rng);
        grid.permuteRows(1, order);
        const auto start = Clock::now();
        sort(grid);
        const double t = secondsSince(start);
        state.SetIterationTime(t);
        total += t;
    }
    report(state, total, reference);
}

void BM_SortText(benchmark::State& state) {
    sortBench(state, [](StringGrid& g) { sortGridRows(g, 1, kRows, false, 0, SortKind::Text); });
}

void BM_SortNumberText(benchmark::State& state) {
    sortBench(state, [](StringGrid& g) { sortGridRows(g, 1, kRows, true, 1, SortKind::Number); });
}

void BM_SortDateText(benchmark::State& state) {
    sortBench(state, [](StringGrid& g) { sortGridRows(g, 1, kRows, true, 2, SortKind::Date); });
}

// The fast path a finder takes: numbers from its own records.
void BM_SortSizeKey(benchmark::State& state) {
    sortBench(state, [](StringGrid& g) {
        sortGridRowsBy(g, 1, kRows, true,
                       [&g](int row) { return double(records().sizes[g.rowKey(row)]); });
    });
}

void BM_SortDateKey(benchmark::State& state) {
    sortBench(state, [](StringGrid& g) {
        sortGridRowsBy(g, 1, kRows, true, [&g](int row) {
            return double(records().dateDays[records().dates[g.rowKey(row)]]);
        });
    });
}

// Measuring the widest figure of a million keyed rows, as a figure column's layout does after
// a fill, every batch of rows included; against the reference fill.
void BM_MeasureFigures(benchmark::State& state) {
    records();
    const double reference = referenceFill();
    double total = 0;
    for (auto _ : state) {
        StringGrid grid;
        makeGrid(grid);
        grid.setColumnPlan(
            {{ColumnKind::Name, 120}, {ColumnKind::Figure, 60}, {ColumnKind::Fixed, 60}});
        const auto start = Clock::now();
        grid.layoutColumns(800);
        for (int batch = 0; batch * 100'000 < kRows; ++batch) // one batch per turn
            QCoreApplication::processEvents();
        const double t = secondsSince(start);
        state.SetIterationTime(t);
        total += t;
    }
    report(state, total, reference);
}

// A grid of 40 rows, a size and a path each, 800 by 600 pixels, painted whole.
constexpr int kPaintRows = 40;

QString longPath(int levels, int row) {
    QString path;
    path.reserve(levels * 251);
    for (int l = 0; l < levels; ++l)
        path += u'/' + QString(249, QChar(u'a' + (l + row) % 26)) + QString::number(l % 10);
    return path;
}

double paintSeconds(StringGrid& grid) {
    const auto start = Clock::now();
    const QPixmap image = grid.grab();
    benchmark::DoNotOptimize(image.cacheKey());
    return secondsSince(start);
}

void makePathGrid(StringGrid& grid, int levels, bool planned) {
    grid.resize(800, 600);
    grid.setColCount(2);
    grid.setRowCount(kPaintRows + 1);
    for (int row = 1; row <= kPaintRows; ++row)
        grid.setRowCells(row, {QString::number(row * 1024), longPath(levels, row)});
    if (planned) {
        grid.setColumnPlan({{ColumnKind::Figure, 60}, {ColumnKind::Path, 300}});
        grid.layoutColumns(800);
    } else {
        grid.setColWidth(0, 80);
        grid.setColWidth(1, 680);
    }
}

// Every cell's whole text handed to the painter, clipped to the cell.
void drawWhole(const StringGrid& grid, QPainter& painter, const QRect& rect, int col, int row) {
    painter.setClipRect(rect);
    painter.fillRect(rect, Qt::white);
    painter.drawText(QPoint(rect.x() + 2, rect.y() + 2 + painter.fontMetrics().ascent()),
                     grid.cell(col, row));
}

enum class Drawing { Whole, Elided, ElidedPath };

void paintBench(benchmark::State& state, Drawing drawing) {
    StringGrid reference, grid;
    const bool planned = drawing == Drawing::ElidedPath;
    makePathGrid(reference, 1, planned);
    makePathGrid(grid, 1000, planned);
    if (drawing == Drawing::Whole)
        for (StringGrid* g : {&reference, &grid})
            g->setDrawCell([g](QPainter& p, const QRect& r, int col, int row) {
                drawWhole(*g, p, r, col, row);
            });
    paintSeconds(reference); // fonts and glyph caches warm
    double total = 0, ref = 0;
    for (auto _ : state) {
        ref += paintSeconds(reference);
        const double t = paintSeconds(grid);
        state.SetIterationTime(t);
        total += t;
    }
    const double n = double(state.iterations());
    state.counters["ms"] = total / n * 1000.0;
    state.counters["ref_ms"] = ref / n * 1000.0;
    state.counters["ratio"] = total / ref;
}

void BM_PaintLongPathsWhole(benchmark::State& state) {
    paintBench(state, Drawing::Whole);
}

// Columns without a plan: the default drawing cuts the text at the end.
void BM_PaintLongPaths(benchmark::State& state) {
    paintBench(state, Drawing::Elided);
}

// A path column of a result grid: "…" in the middle.
void BM_PaintLongPathsPlanned(benchmark::State& state) {
    paintBench(state, Drawing::ElidedPath);
}

} // namespace

BENCHMARK(BM_PaintLongPathsWhole)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PaintLongPaths)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PaintLongPathsPlanned)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FillKeyedRows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FillRowByRow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MeasureFigures)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SortText)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SortNumberText)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SortDateText)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SortSizeKey)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SortDateKey)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
