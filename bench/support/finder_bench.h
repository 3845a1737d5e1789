#pragma once

#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
#include <string>

// What the finders' benchmarks share: the trees they scan, the reference listing of a tree and
// the loop that times a scan against it.

double secondsSince(std::chrono::steady_clock::time_point start);

// The 300,000-file tree in 20,000 folders and the million-file tree, each made once for every
// benchmark program that uses it.
const std::string& mainTree();
const std::string& millionTree();

// The reference: find over the tree with sizes, names and folders, its output thrown away;
// its time in seconds, or -1 when it fails.
double runFind(const std::string& root);

// Times `scan` against runFind on `root`, alternately, after one warm-up run of each, and
// reports the rows `rows` gives, both mean times and the ratio of the scan's time to find's.
void scanAgainstFind(benchmark::State& state, const std::string& root,
                     const std::function<void()>& scan, const std::function<double()>& rows);
