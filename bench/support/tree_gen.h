#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

// splitmix64: small, fast and defined bit for bit, so a seed gives the same tree everywhere.
class TreeRandom {
public:
    explicit TreeRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    std::uint64_t below(std::uint64_t n) { return next() % n; }
    // Standard normal (Box-Muller).
    double normal() {
        const double u1 = 1.0 - uniform(); // (0, 1]
        const double u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }

private:
    std::uint64_t state_;
};

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

// The stamp beside a generated tree: a text that names its shape, written once the tree is
// complete. treeComplete tells whether `root` holds a complete tree of that shape; clearTree
// removes whatever is under `root` (and its stamp) and makes the root's parents.
bool treeComplete(const std::string& root, const std::string& shape);
void clearTree(const std::string& root);
void stampTree(const std::string& root, const std::string& shape);

// The folder the benchmarks keep their trees in: $ZELKOVA_BENCH_TREES, else
// build-bench-trees beside the benchmark's build folder, else under /tmp.
std::string benchTreeFolder();
