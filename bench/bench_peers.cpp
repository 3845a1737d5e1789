// The contents search of the duplicate finder against other duplicate finders, on a tree of
// 20,000 names and about 5 GB with real data (support/dup_tree.h): a walk of the tree and the
// grouping by contents (support/content_scan.h), default threads, timed together.
//
// - SameGroups/<peer>: each peer run once, its groups compared with ours. A file with several
//   names is one file: fdupes names it once per group (any of its names) and leaves its names
//   out as duplicates of one another; jdupes may name it more than once in a group; rdfind
//   drops every name of a file but its first before it compares. A difference from fdupes's
//   groups fails the program (a FAILED line, the first differences, and a non-zero exit);
//   the others' differences are only counted.
// - Warm/<peer>: ours and the peer run alternately, the cache warm; ratio_<peer> is our time
//   over the peer's. Budgets: at most 0.5 for fdupes, 1.0 for jdupes and rdfind.
// - Cold/<peer>: the same with the caches dropped before every run of every tool; skipped
//   with the reason where they cannot be (not root).
//
// The peers: `fdupes -r -q TREE`, `jdupes -r -q TREE` (-q only hides the progress display),
// `rdfind -dryrun true -outputname FILE TREE`.
#include "support/content_scan.h"
#include "support/dup_tree.h"
#include "support/finder_bench.h"
#include "support/run_tool.h"
#include "support/tree_gen.h"

#include "finders/scan_engine.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

const std::string& tree() {
    static const std::string root = [] {
        const std::string r = benchTreeFolder() + "/duplicates-5g";
        std::fprintf(stderr, "tree %s ...\n", r.c_str());
        const DupTreeFigures f = makeDupTree(r, 2026);
        std::fprintf(stderr, "tree ready: %s\n", f.text().c_str());
        return r;
    }();
    return root;
}

// Where the peers' output goes, removed at the end.
std::string scratch() {
    static const std::string folder = [] {
        char name[] = "/tmp/zelkova-peers-XXXXXX";
        return std::string(mkdtemp(name) ? name : "/tmp");
    }();
    return folder;
}

enum Peer { Fdupes, Jdupes, Rdfind };
const char* const kPeerNames[] = {"fdupes", "jdupes", "rdfind"};

// Runs the peer over the tree; its groups written to `output`, its time in seconds or -1.
double runPeer(Peer peer, const std::string& output) {
    const std::string& root = tree();
    switch (peer) {
    case Fdupes:
        return runTool({"fdupes", "-r", "-q", root}, output);
    case Jdupes:
        return runTool({"jdupes", "-r", "-q", root}, output);
    case Rdfind:
        return runTool({"rdfind", "-dryrun", "true", "-outputname", output, root});
    }
    return -1;
}

bool failed = false;

void SameGroups(benchmark::State& state, Peer peer) {
    const std::string output = scratch() + "/groups-" + kPeerNames[peer];
    IdentityRecords records;
    ContentGroups::Result ours;
    for (auto _ : state) {
        if (runPeer(peer, output) < 0) {
            state.SkipWithError((std::string(kPeerNames[peer]) + " failed").c_str());
            failed = failed || peer == Fdupes;
            return;
        }
        ours = findSameContents(tree(), records);
    }
    const PathGroups theirs =
        peer == Rdfind ? readResultsFileGroups(output) : readBlankLineGroups(output);
    long long repeated = 0;
    const std::vector<std::string> differences = groupDifferences(
        theirs, ours, [&](quint32 r) { return records.nativePath(r).toStdString(); },
        peer == Fdupes, &repeated);
    state.counters["groups"] = double(ours.groups.size());
    state.counters["duplicates"] = double(ours.duplicates);
    state.counters["freeable_GB"] = double(ours.freeable) / 1e9;
    state.counters["their_groups"] = double(theirs.size());
    state.counters["their_second_names"] = double(repeated);
    state.counters["differences"] = double(differences.size());
    state.counters["left_out"] = double(ours.changed + ours.unreadable);
    if (differences.empty() || peer != Fdupes)
        return;
    failed = true;
    std::fprintf(stderr, "FAILED: %zu differences from %s's groups, the first:\n",
                 differences.size(), kPeerNames[peer]);
    for (std::size_t i = 0; i < differences.size() && i < 10; ++i)
        std::fprintf(stderr, "  %s %s\n", kPeerNames[peer], differences[i].c_str());
    state.SkipWithError("the groups differ from fdupes's");
}

void Against(benchmark::State& state, Peer peer, bool cold) {
    const std::string output = scratch() + "/timed-" + kPeerNames[peer];
    IdentityRecords records;
    ContentGroups::Result ours;
    scanAgainst(
        state, {{kPeerNames[peer], [&] { return runPeer(peer, output); }}},
        [&] { ours = findSameContents(tree(), records); },
        [&] { return double(ours.duplicates + qint64(ours.groups.size())); }, cold);
    state.counters["threads"] = ScanEngine::defaultThreads();
}

} // namespace

BENCHMARK_CAPTURE(SameGroups, fdupes, Fdupes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(SameGroups, jdupes, Jdupes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(SameGroups, rdfind, Rdfind)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(Against, warm_fdupes, Fdupes, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(Against, warm_jdupes, Jdupes, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(Against, warm_rdfind, Rdfind, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(Against, cold_fdupes, Fdupes, true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK_CAPTURE(Against, cold_jdupes, Jdupes, true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK_CAPTURE(Against, cold_rdfind, Rdfind, true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const std::string cleanup = "rm -rf '" + scratch() + "'";
    if (std::system(cleanup.c_str()) != 0)
        return 1;
    if (failed)
        std::fprintf(stderr, "FAILED: the contents search does not find fdupes's groups\n");
    return failed ? 1 : 0;
}
