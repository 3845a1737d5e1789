#include "support/tree_gen.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <limits.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace {

const char* const kSyllables[] = {"ka", "ro", "mi", "te", "su", "na", "lo", "vi", "pe", "da",
                                  "zu", "ri", "mo", "xa", "be", "fo", "gi", "hu", "ju", "qe"};
const char* const kExtensions[] = {".txt", ".c",   ".h",   ".jpg",  ".png", ".doc", ".pdf",
                                   ".mp3", ".so",  ".o",   ".html", ".js",  ".py",  ".json",
                                   ".xml", ".dat", ".bak", ".tmp",  ".log", "",     ".cpp"};
constexpr std::size_t kExtensionCount = sizeof kExtensions / sizeof *kExtensions;

// The pool name number i: two to five syllables, an extension, every seventh capitalised, so
// that names differing only in case occur too.
std::string poolName(std::uint64_t i) {
    std::string stem;
    std::uint64_t v = i;
    const int syllables = 2 + int(i % 4);
    for (int s = 0; s < syllables; ++s) {
        stem += kSyllables[v % 20];
        v /= 20;
    }
    stem += std::to_string(i % 97);
    if (i % 7 == 0)
        stem[0] = char(stem[0] - 'a' + 'A');
    return stem + kExtensions[(i * 2654435761u >> 7) % kExtensionCount];
}

struct FolderInfo {
    std::string path; // relative
    int depth;
};

struct FileInfo {
    int folder;
    std::string name;
    std::int64_t size;
    std::int64_t modified;
    std::int64_t accessed;
};

int removeOne(const char* path, const struct stat*, int type, struct FTW*) {
    if (type == FTW_DP)
        ::rmdir(path);
    else
        ::unlink(path);
    return 0;
}

std::string shapeText(const TreeShape& shape) {
    std::ostringstream s;
    s << "seed=" << shape.seed << " files=" << shape.files << " folders=" << shape.folders
      << " depth=" << shape.maxDepth;
    if (shape.uniqueNames > 0)
        s << " unique=" << shape.uniqueNames;
    s << " v1";
    return s.str();
}

} // namespace

TreeFigures generateTree(const TreeShape& shape,
                         const std::function<void(const std::string& folder)>& folderVisit,
                         const std::function<void(const GeneratedFile& file)>& fileVisit) {
    TreeRandom rng(shape.seed);
    TreeFigures figures;

    // Folders: each hangs below a random earlier folder that is not yet at the deepest level.
    const int folderCount = std::max(1, shape.folders);
    std::vector<FolderInfo> folders;
    folders.reserve(std::size_t(folderCount));
    folders.push_back({std::string(), 0});
    std::vector<int> open{0};
    for (int i = 1; i < folderCount; ++i) {
        const std::size_t pick = std::size_t(rng.below(open.size()));
        const int parent = open[pick];
        FolderInfo f;
        f.depth = folders[std::size_t(parent)].depth + 1;
        const std::string name =
            (i % 5 == 0 ? "Dir" : "dir") + std::to_string(i) + (i % 11 == 0 ? ".d" : "");
        f.path = folders[std::size_t(parent)].path.empty()
                     ? name
                     : folders[std::size_t(parent)].path + "/" + name;
        folders.push_back(std::move(f));
        if (folders.back().depth < shape.maxDepth)
            open.push_back(i);
    }

    // Files: a name from the pool with a heavy-tailed repeat count (pool index = P * u^2.5),
    // made unique inside its folder; a log-normal size around 8 KiB, 5% empty files, at most
    // 64 MiB; modified between 1995 and 2024, accessed up to two years later.
    const std::uint64_t pool = std::uint64_t(std::max(1000, shape.files / 3));
    std::vector<FileInfo> files;
    files.reserve(std::size_t(std::max(0, shape.files)));
    std::vector<std::unordered_set<std::string>> taken(folders.size());
    for (int i = 0; i < shape.files; ++i) {
        FileInfo f;
        f.folder = int(rng.below(folders.size()));
        std::string name;
        // No pool name begins with a "w", in either case, so these names occur once. The draw
        // is made only for such shapes, so the other trees stay as they were.
        if (shape.uniqueNames > 0 && rng.uniform() < shape.uniqueNames)
            name.append("w")
                .append(std::to_string(i))
                .append(kExtensions[std::size_t(i) % kExtensionCount]);
        else
            name = poolName(std::uint64_t(double(pool) * std::pow(rng.uniform(), 2.5)));
        auto& names = taken[std::size_t(f.folder)];
        const std::string base = name;
        const std::size_t dot = base.rfind('.');
        for (int k = 1; names.count(name); ++k)
            name = dot == std::string::npos
                       ? base + "~" + std::to_string(k)
                       : base.substr(0, dot) + "~" + std::to_string(k) + base.substr(dot);
        names.insert(name);
        f.name = std::move(name);
        if (rng.uniform() < 0.05) {
            f.size = 0;
        } else {
            const double v = std::exp(std::log(8192.0) + 2.2 * rng.normal());
            f.size = std::int64_t(std::min(v, 64.0 * 1024 * 1024));
        }
        f.modified = 788918400 + std::int64_t(rng.below(30ull * 365 * 86400));
        f.accessed = f.modified + std::int64_t(rng.below(2ull * 365 * 86400));
        files.push_back(std::move(f));
    }
    taken.clear();
    std::stable_sort(files.begin(), files.end(),
                     [](const FileInfo& a, const FileInfo& b) { return a.folder < b.folder; });

    for (const FolderInfo& f : folders) {
        if (folderVisit)
            folderVisit(f.path);
        ++figures.folders;
    }
    for (const FileInfo& f : files) {
        if (fileVisit)
            fileVisit(GeneratedFile{folders[std::size_t(f.folder)].path, f.name, f.size, f.modified,
                                    f.accessed});
        ++figures.files;
        figures.bytes += f.size;
    }
    return figures;
}

TreeFigures makeTree(const std::string& root, const TreeShape& shape) {
    const std::string wanted = shapeText(shape);
    if (treeComplete(root, wanted))
        return generateTree(shape, nullptr, nullptr);
    clearTree(root);

    const std::string zeros(4096, 'z');
    const TreeFigures figures = generateTree(
        shape,
        [&](const std::string& folder) {
            const std::string p = folder.empty() ? root : root + "/" + folder;
            if (::mkdir(p.c_str(), 0755) != 0 && errno != EEXIST)
                throw std::runtime_error("cannot make " + p + ": " + std::strerror(errno));
        },
        [&](const GeneratedFile& f) {
            const std::string p =
                f.folder.empty() ? root + "/" + f.name : root + "/" + f.folder + "/" + f.name;
            const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0)
                throw std::runtime_error("cannot make " + p + ": " + std::strerror(errno));
            bool ok = true;
            if (f.size > std::int64_t(zeros.size()))
                ok = ::ftruncate(fd, f.size) == 0;
            else if (f.size > 0)
                ok = ::write(fd, zeros.data(), std::size_t(f.size)) == f.size;
            const struct timespec times[2] = {{time_t(f.accessed), 0}, {time_t(f.modified), 0}};
            ok = ok && ::futimens(fd, times) == 0;
            ::close(fd);
            if (!ok)
                throw std::runtime_error("cannot fill " + p + ": " + std::strerror(errno));
        });
    stampTree(root, wanted);
    return figures;
}

bool treeComplete(const std::string& root, const std::string& shape) {
    std::ifstream in(root + ".stamp");
    std::string have;
    std::getline(in, have);
    struct stat st;
    return have == shape && ::stat(root.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void clearTree(const std::string& root) {
    ::unlink((root + ".stamp").c_str());
    ::nftw(root.c_str(), removeOne, 64, FTW_DEPTH | FTW_PHYS);
    // The parents of the root.
    for (std::size_t i = 1; i < root.size(); ++i)
        if (root[i] == '/')
            ::mkdir(root.substr(0, i).c_str(), 0755);
}

void stampTree(const std::string& root, const std::string& shape) {
    std::ofstream(root + ".stamp") << shape << "\n";
}

std::string benchTreeFolder() {
    if (const char* env = std::getenv("ZELKOVA_BENCH_TREES"); env && *env)
        return env;
    // The program runs from <repo>/build-bench/bench/; the trees go to <repo>/build-bench-trees.
    char exe[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        std::string p(exe, std::size_t(n));
        for (int up = 0; up < 3 && !p.empty(); ++up)
            p = p.substr(0, p.rfind('/'));
        if (!p.empty() && ::access(p.c_str(), W_OK) == 0)
            return p + "/build-bench-trees";
    }
    return "/tmp/zelkova-bench-trees";
}
