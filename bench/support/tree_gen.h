#pragma once

#include <cstdint>
#include <functional>
#include <string>

// A deterministic, seeded file tree for the scan benchmarks: folders nested at random up to a
// depth of about 20, file names drawn from a pool with a heavy-tailed repeat count (most names
// occur several times, a few very often, many once), log-normal sizes from 0 bytes to some
// megabytes, and time stamps spread over three decades. The same seed and shape give the same
// tree, byte for byte, on every machine.
struct TreeShape {
    std::uint64_t seed = 1995;
    int files = 300000;
    int folders = 20000;
    int maxDepth = 20;
    // The share of files given a name that no other file has (0 to 1); the rest draw from the
    // pool.
    double uniqueNames = 0;
};

// One generated file. Paths are relative to the tree's root ("" for the root itself).
struct GeneratedFile {
    const std::string& folder;
    const std::string& name;
    std::int64_t size;
    std::int64_t modified; // seconds since the epoch
    std::int64_t accessed;
};

struct TreeFigures {
    std::int64_t files = 0;
    std::int64_t folders = 0; // the root included
    std::int64_t bytes = 0;   // apparent sizes
};

// Calls `visit` for every folder (parents before children, "" first) and then for every file,
// grouped by folder, without touching the disk.
TreeFigures generateTree(const TreeShape& shape,
                         const std::function<void(const std::string& folder)>& folderVisit,
                         const std::function<void(const GeneratedFile& file)>& fileVisit);

// Makes the tree on disk under `root`. Files above 4 KiB are sparse (ftruncate), so the tree
// takes little room. A tree already made under `root` with the same shape is kept as it is
// (a stamp file beside the root records the shape); a partial or different one is replaced.
TreeFigures makeTree(const std::string& root, const TreeShape& shape);

// The folder the benchmarks keep their trees in: $ZELKOVA_BENCH_TREES, else
// build-bench-trees beside the benchmark's build folder, else under /tmp.
std::string benchTreeFolder();
