#include "support/dup_tree.h"

#include "support/tree_gen.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::int64_t KiB = 1024;
constexpr std::int64_t MiB = 1024 * KiB;
constexpr int kFolders = 300;
constexpr int kNames = 20000;
constexpr int kMaxDepth = 4;

// A file's contents: bytes of the shared random pool from a place of its own, its number in
// the first 8 bytes, and one byte changed where the members of a set differ.
struct Contents {
    std::uint64_t id = 0;
    std::int64_t size = 0;
    std::int64_t changeAt = -1;
    unsigned char change = 0; // xor-ed into the byte at changeAt
};

struct Name {
    int folder = 0;
    std::size_t file = 0;
};

struct Plan {
    std::vector<std::string> folders; // relative paths, parents first, "" the root
    std::vector<Contents> files;
    std::vector<Name> names; // each file's first name in file order, then the further ones
    DupTreeFigures figures;
};

std::int64_t logUniform(TreeRandom& rng, std::int64_t lo, std::int64_t hi) {
    const double l = std::log(double(lo)), h = std::log(double(hi));
    return std::clamp(std::int64_t(std::exp(l + rng.uniform() * (h - l))), lo, hi);
}

Plan makePlan(std::uint64_t seed) {
    TreeRandom rng(seed);
    Plan p;
    std::vector<int> depth{0};
    p.folders.push_back("");
    for (int i = 1; i < kFolders; ++i) {
        int parent = int(rng.below(std::uint64_t(i)));
        while (depth[std::size_t(parent)] >= kMaxDepth)
            parent = int(rng.below(std::uint64_t(i)));
        const std::string name =
            (i % 3 == 0 ? "album " : "d") + std::to_string(i) + (i % 7 == 0 ? ".old" : "");
        const std::string& up = p.folders[std::size_t(parent)];
        p.folders.push_back(up.empty() ? name : up + "/" + name);
        depth.push_back(depth[std::size_t(parent)] + 1);
    }

    TreeRandom ids(seed ^ 0x5EED);
    auto add = [&](Contents c) {
        p.files.push_back(c);
        p.names.push_back({int(rng.below(kFolders)), p.files.size() - 1});
    };
    struct Band {
        int count;
        std::int64_t lo, hi;
        int most; // files in a group or set: 2 to most
    };
    DupTreeFigures& f = p.figures;
    for (const Band& b :
         {Band{6, 50 * MiB, 200 * MiB, 3}, Band{60, MiB, 16 * MiB, 4}, Band{300, 1, MiB, 6}})
        for (int g = 0; g < b.count; ++g) {
            const Contents c{ids.next(), logUniform(rng, b.lo, b.hi)};
            const int copies = 2 + int(rng.below(std::uint64_t(b.most - 1)));
            for (int k = 0; k < copies; ++k)
                add(c);
            ++f.groups;
            f.copies += copies;
        }
    const std::size_t groupFiles = p.files.size();
    for (const Band& b :
         {Band{4, 50 * MiB, 150 * MiB, 2}, Band{60, MiB, 16 * MiB, 3}, Band{1500, 1, MiB, 4}})
        for (int s = 0; s < b.count; ++s) {
            Contents c{ids.next(), logUniform(rng, b.lo, b.hi)};
            const int where = s % 3; // the middle, the first or the last byte
            c.changeAt = where == 0 ? c.size / 2 : where == 1 ? 0 : c.size - 1;
            const int members = 2 + int(rng.below(std::uint64_t(b.most - 1)));
            for (int v = 0; v < members; ++v) {
                c.change = (unsigned char)v;
                add(c);
            }
            ++f.sets;
            f.setFiles += members;
        }
    const std::size_t setFiles = p.files.size();

    // Further names: a third of them for group members, a sixth for set members, the rest for
    // files of their own; every fourth in its file's own folder, every sixth file linked
    // twice.
    constexpr int kLinks = 60;
    while (p.names.size() < std::size_t(kNames - kLinks)) {
        const double v = std::exp(std::log(8.0 * KiB) + 1.8 * rng.normal());
        add(Contents{ids.next(), std::clamp(std::int64_t(v), std::int64_t(1), 32 * MiB)});
    }
    for (int l = 0; l < kLinks;) {
        std::size_t file = l < kLinks / 3   ? std::size_t(rng.below(groupFiles))
                           : l < kLinks / 2 ? groupFiles + rng.below(setFiles - groupFiles)
                                            : setFiles + rng.below(p.files.size() - setFiles);
        const int names = l % 6 == 0 ? 2 : 1;
        for (int k = 0; k < names && l < kLinks; ++k, ++l)
            p.names.push_back({l % 4 == 0 ? p.names[file].folder : int(rng.below(kFolders)), file});
    }

    f.names = std::int64_t(p.names.size());
    f.files = std::int64_t(p.files.size());
    f.folders = kFolders;
    f.links = kLinks;
    for (const Contents& c : p.files)
        f.bytes += c.size;
    return p;
}

std::string nameOf(std::size_t n) {
    static const char* const extensions[] = {".jpg", ".mp3", ".pdf", ".dat", ".txt", "", ".tar"};
    char text[32];
    std::snprintf(text, sizeof text, "f%05zu%s", n, extensions[n * 2654435761u % 7]);
    return text;
}

std::string stampText(std::uint64_t seed) {
    return "duplicates seed=" + std::to_string(seed) + " v1";
}

// Writes files from a pool of random bytes in large chunks.
class Writer {
public:
    explicit Writer(std::uint64_t seed) : pool_(kPool + kChunk), chunk_(kChunk) {
        TreeRandom rng(seed);
        for (std::size_t i = 0; i < kPool; i += 8) {
            const std::uint64_t v = rng.next();
            std::memcpy(&pool_[i], &v, 8);
        }
        // The chunk after the pool's end repeats its start, so no chunk wraps.
        std::memcpy(&pool_[kPool], &pool_[0], kChunk);
    }

    void write(const std::string& path, const Contents& c) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            fail("cannot make", path);
        const std::size_t start = std::size_t(c.id % kPool);
        for (std::int64_t at = 0; at < c.size; at += kChunk) {
            const std::size_t n = std::size_t(std::min<std::int64_t>(kChunk, c.size - at));
            std::memcpy(chunk_.data(), &pool_[(start + std::size_t(at)) % kPool], n);
            if (at == 0)
                std::memcpy(chunk_.data(), &c.id, std::min<std::size_t>(n, 8));
            if (c.changeAt >= at && c.changeAt < at + std::int64_t(n))
                chunk_[std::size_t(c.changeAt - at)] ^= c.change;
            if (::write(fd, chunk_.data(), n) != ssize_t(n))
                fail("cannot fill", path);
        }
        ::close(fd);
    }

    [[noreturn]] static void fail(const char* what, const std::string& path) {
        throw std::runtime_error(std::string(what) + " " + path + ": " + std::strerror(errno));
    }

private:
    static constexpr std::size_t kPool = 64 * MiB;
    static constexpr std::size_t kChunk = 4 * MiB;
    std::vector<unsigned char> pool_;
    std::vector<unsigned char> chunk_;
};

} // namespace

std::string DupTreeFigures::text() const {
    char line[400];
    std::snprintf(line, sizeof line,
                  "%lld names (%lld of them further hard links) of %lld files in %lld folders, "
                  "%.2f GB; %lld duplicate groups of %lld files; %lld sets of %lld files of one "
                  "size differing in one byte",
                  (long long)names, (long long)links, (long long)files, (long long)folders,
                  double(bytes) / 1e9, (long long)groups, (long long)copies, (long long)sets,
                  (long long)setFiles);
    return line;
}

DupTreeFigures planDupTree(std::uint64_t seed) {
    return makePlan(seed).figures;
}

DupTreeFigures makeDupTree(const std::string& root, std::uint64_t seed) {
    const std::string stamp = stampText(seed);
    if (treeComplete(root, stamp))
        return planDupTree(seed);
    clearTree(root);
    const Plan p = makePlan(seed);
    std::vector<std::string> folders;
    for (const std::string& f : p.folders) {
        folders.push_back(f.empty() ? root : root + "/" + f);
        if (::mkdir(folders.back().c_str(), 0755) != 0 && errno != EEXIST)
            Writer::fail("cannot make", folders.back());
    }
    Writer writer(seed);
    for (std::size_t n = 0; n < p.names.size(); ++n) {
        const Name& name = p.names[n];
        const std::string path = folders[std::size_t(name.folder)] + "/" + nameOf(n);
        if (n < p.files.size()) {
            writer.write(path, p.files[name.file]);
        } else {
            const std::string first =
                folders[std::size_t(p.names[name.file].folder)] + "/" + nameOf(name.file);
            if (::link(first.c_str(), path.c_str()) != 0)
                Writer::fail("cannot link", path);
        }
    }
    stampTree(root, stamp);
    return p.figures;
}
