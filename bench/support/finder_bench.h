#pragma once

#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

// What the finders' benchmarks share: the trees they scan, the reference tools run over a
// tree, the figures of a scan (wall and processor time) and the loop that times a scan
// against the references.

double secondsSince(std::chrono::steady_clock::time_point start);

// The processor time (user and system) of the whole process so far, all its threads.
double processCpuSeconds();

// Runs one scan of a window to its end: `start` presses its button, then the event loop runs
// while `running` says the scan goes on, so a scan that ends with a queued signal is timed to
// that end (one that ran inline has ended already).
void scanToEnd(const std::function<void()>& start, const std::function<bool()>& running);

// The 300,000-file tree in 20,000 folders and the million-file tree, each made once for every
// benchmark program that uses it. The third holds a million files too, a quarter of them
// under a name that no other file has.
const std::string& mainTree();
const std::string& millionTree();
const std::string& millionUniqueTree();

// The references, their output thrown away; their time in seconds, or -1 when they fail.
// find over the tree with sizes, names and folders:
double runFind(const std::string& root);
// ncdu exporting the tree's sizes, on the root's file system only:
double runNcdu(const std::string& root);

// Empties the kernel's page, folder and inode caches (sync, then drop_caches). False when the
// process may not (it is not root, or /proc/sys/vm/drop_caches cannot be written), with the
// reason in `why`.
bool dropCaches(std::string& why);

struct Reference {
    std::string name; // the counters' label: <name>_ms and ratio_<name>
    std::function<double()> run;
};

// Times `scan` against each reference, alternately, after one warm-up run of each (with
// `cold`, the caches are dropped before every timed run, the references' and the scan's
// alike, and there is no warm-up). Reports the rows `rows` gives, the mean times, the scan's
// mean processor time (cpu_ms) and the ratio of the scan's time to each reference's.
void scanAgainst(benchmark::State& state, const std::vector<Reference>& references,
                 const std::function<void()>& scan, const std::function<double()>& rows,
                 bool cold = false);

// scanAgainst with find as the one reference.
void scanAgainstFind(benchmark::State& state, const std::string& root,
                     const std::function<void()>& scan, const std::function<double()>& rows);
