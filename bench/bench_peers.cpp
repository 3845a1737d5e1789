// The contents search of the duplicate finder against other duplicate finders, on a tree of
// 20,000 names and about 5 GB with real data (support/dup_tree.h): a walk of the tree and the
// grouping by contents (support/content_scan.h), default threads, timed together.
//
// - SameGroups/<peer>: each peer run once on a small tree of hard links and once on the large
//   tree, its groups compared with ours. A file with several names is one file: fdupes names
//   it once in a group (any one of its names) and never lists its names as duplicates of one
//   another; jdupes may name it more than once in a group; rdfind drops every name of a file
//   but the first it meets before it compares. A difference from fdupes's groups fails the
//   program (a FAILED line, the first differences, a non-zero exit); the others' differences
//   are counted. `fdupes -H` lists the names of one file as duplicates: the comparison must
//   tell, or it fails too.
// - Against/warm_<peer>: ours and the peer run alternately, the cache warm; ratio_<peer> is
//   our time over the peer's. Budgets: at most 0.5 for fdupes, 1.0 for jdupes and rdfind.
//   read_GB_per_s: the bytes our grouping read over our whole time, walk included.
// - Against/cold_<peer>: the same with the caches dropped before every run of every tool;
//   skipped with the reason where they cannot be (not root).
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
#include <fstream>
#include <sys/stat.h>
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
        if (!mkdtemp(name)) {
            std::perror("cannot make a folder under /tmp");
            std::exit(1);
        }
        return std::string(name);
    }();
    return folder;
}

// A few names that show how each tool treats hard links: a file with two further names and
// a copy, a file with a further name and no copy, and two copies each with a further name.
const std::string& linkTree() {
    static const std::string root = [] {
        const std::string r = scratch() + "/links";
        for (const char* folder : {"", "/a", "/b", "/c"})
            ::mkdir((r + folder).c_str(), 0755);
        const std::pair<const char*, const char*> files[] = {
            {"a/x", "hello"}, {"c/y", "hello"}, {"a/s", "alone"}, {"a/p", "pair"}, {"b/p", "pair"}};
        for (const auto& [name, text] : files)
            std::ofstream(r + "/" + name) << text;
        const std::pair<const char*, const char*> links[] = {
            {"a/x", "b/x2"}, {"a/x", "c/x3"}, {"a/s", "b/s2"}, {"b/p", "c/p2"}, {"a/p", "c/p3"}};
        for (const auto& [from, to] : links)
            ::link((r + "/" + from).c_str(), (r + "/" + to).c_str());
        return r;
    }();
    return root;
}

enum Peer { Fdupes, Jdupes, Rdfind, FdupesAllNames };
const char* const kPeerNames[] = {"fdupes", "jdupes", "rdfind", "fdupes -H"};

// Runs the peer over `root`, its groups written to `output`; its time in seconds or -1.
double runPeer(Peer peer, const std::string& root, const std::string& output) {
    switch (peer) {
    case Fdupes:
        return runTool({"fdupes", "-r", "-q", root}, output);
    case Jdupes:
        return runTool({"jdupes", "-r", "-q", root}, output);
    case Rdfind:
        return runTool({"rdfind", "-dryrun", "true", "-outputname", output, root});
    case FdupesAllNames:
        return runTool({"fdupes", "-r", "-q", "-H", root}, output);
    }
    return -1;
}

bool failed = false;

// The peer's groups over `root` and how they differ from ours (fdupes's: one name per file).
std::vector<std::string> differencesFrom(Peer peer, const std::string& root,
                                         benchmark::State& state, const std::string& prefix) {
    const std::string output = scratch() + "/groups";
    if (runPeer(peer, root, output) < 0)
        return {std::string(kPeerNames[peer]) + " failed"};
    IdentityRecords records;
    const ContentGroups::Result ours = findSameContents(root, records);
    const PathGroups theirs =
        peer == Rdfind ? readResultsFileGroups(output) : readBlankLineGroups(output);
    long long repeated = 0;
    std::vector<std::string> differences = groupDifferences(
        theirs, ours, [&](quint32 r) { return records.nativePath(r).toStdString(); },
        peer != Jdupes, &repeated);
    if (prefix.empty()) {
        state.counters["groups"] = double(ours.groups.size());
        state.counters["duplicates"] = double(ours.duplicates);
        state.counters["freeable_GB"] = double(ours.freeable) / 1e9;
        state.counters["left_out"] = double(ours.changed + ours.unreadable);
    }
    state.counters[prefix + "their_groups"] = double(theirs.size());
    state.counters[prefix + "their_second_names"] = double(repeated);
    state.counters[prefix + "differences"] = double(differences.size());
    return differences;
}

void fail(benchmark::State& state, const std::string& why,
          const std::vector<std::string>& differences) {
    failed = true;
    std::fprintf(stderr, "FAILED: %s\n", why.c_str());
    for (std::size_t i = 0; i < differences.size() && i < 10; ++i)
        std::fprintf(stderr, "  %s\n", differences[i].c_str());
    state.SkipWithError(why.c_str());
}

// Our groups against the peer's, on the small tree of hard links and on the large tree. Only
// fdupes's must agree; for the others the differences are counted. That the comparison sees
// names of one file listed as duplicates is checked against fdupes -H.
void SameGroups(benchmark::State& state, Peer peer) {
    for (auto _ : state) {
        const auto small = differencesFrom(peer, linkTree(), state, "links_");
        if (peer == Fdupes && !small.empty())
            return fail(state, "our groups differ from fdupes's on the tree of hard links", small);
        if (peer == Fdupes &&
            differencesFrom(FdupesAllNames, linkTree(), state, "links_H_").empty())
            return fail(state, "the comparison does not tell names of one file apart", {});
        const auto large = differencesFrom(peer, tree(), state, "");
        if (peer == Fdupes && !large.empty())
            return fail(state, std::to_string(large.size()) + " differences from fdupes's groups",
                        large);
    }
}

void Against(benchmark::State& state, Peer peer, bool cold) {
    const std::string output = scratch() + "/timed";
    IdentityRecords records;
    ContentGroups::Result ours;
    qint64 bytesRead = 0;
    scanAgainst(
        state, {{kPeerNames[peer], [&] { return runPeer(peer, tree(), output); }}},
        [&] { ours = findSameContents(tree(), records, 0, &bytesRead); },
        [&] { return double(ours.duplicates + qint64(ours.groups.size())); }, cold);
    state.counters["threads"] = ScanEngine::defaultThreads();
    // Every run reads the same: the last run's bytes over the mean time.
    state.counters["read_GB"] = double(bytesRead) / 1e9;
    state.counters["read_GB_per_s"] = double(bytesRead) / 1e6 / state.counters["scan_ms"];
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const Peer peers[] = {Fdupes, Jdupes, Rdfind};
    for (Peer peer : peers)
        benchmark::RegisterBenchmark(("SameGroups/" + std::string(kPeerNames[peer])).c_str(),
                                     SameGroups, peer)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    for (bool cold : {false, true})
        for (Peer peer : peers)
            benchmark::RegisterBenchmark(
                ((cold ? "Against/cold_" : "Against/warm_") + std::string(kPeerNames[peer]))
                    .c_str(),
                Against, peer, cold)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond)
                ->Iterations(cold ? 2 : 3);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const std::string cleanup = "rm -rf '" + scratch() + "'";
    if (std::system(cleanup.c_str()) != 0)
        return 1;
    if (failed)
        std::fprintf(stderr, "FAILED: the contents search does not find fdupes's groups\n");
    return failed ? 1 : 0;
}
