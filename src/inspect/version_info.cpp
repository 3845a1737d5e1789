#include "inspect/version_info.h"

#include "platform/native_path.h"
#include "platform/unique_fd.h"

#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A version resource's own length is a 16-bit field, so a larger resource is malformed and is
// refused before anything of it is read.
constexpr quint32 kMaxVersionResource = 0xFFFF;
// Real images hold a few dozen sections; an image that claims more is refused, which keeps
// the section table's read under 4 KiB.
constexpr quint16 kMaxSections = 96;
// Resource types in a real file number a few dozen; the version type is looked for among the
// first this many entries only, which keeps a forged count from costing reads.
constexpr quint32 kMaxTypeEntries = 1024;
constexpr quint32 kResourceVersion = 16;
constexpr quint32 kSubdirectoryBit = 0x80000000u;

quint16 u16(const uchar* p) {
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(const uchar* p) {
    return qFromLittleEndian<quint32>(p);
}

// Reads exact ranges of the file and counts them against kVersionReadBudget.
class BoundedReader {
public:
    explicit BoundedReader(int fd) : fd_(fd) {}

    // False when the file ends first, a read fails, or the budget would be overdrawn.
    bool read(quint64 offset, void* into, quint32 length) {
        if (used_ + length > quint64(kVersionReadBudget) || offset > quint64(INT64_MAX) - length)
            return false;
        used_ += length;
        auto* out = static_cast<char*>(into);
        quint32 done = 0;
        while (done < length) {
            const ssize_t n = ::pread(fd_, out + done, length - done, off_t(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += quint32(n);
        }
        return true;
    }
    qint64 used() const { return qint64(used_); }

private:
    int fd_;
    quint64 used_ = 0;
};

struct Section {
    quint32 virtualAddress, size, fileOffset;
};

// The file offset of `length` bytes at the relative virtual address `rva`, when they lie
// wholly inside the file data of one section.
std::optional<quint64> fileOffset(const QList<Section>& sections, quint64 rva, quint64 length) {
    for (const Section& s : sections) {
        if (rva >= s.virtualAddress && rva + length <= quint64(s.virtualAddress) + s.size)
            return quint64(s.fileOffset) + (rva - s.virtualAddress);
    }
    return std::nullopt;
}

struct Image {
    QList<Section> sections;
    quint32 resourceRva = 0;
};

// The section table and where the resources are, from the DOS and PE headers.
std::optional<Image> readHeaders(BoundedReader& in) {
    uchar dos[64];
    if (!in.read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return std::nullopt;
    const quint64 pe = u32(dos + 0x3C);
    uchar coff[24];
    if (!in.read(pe, coff, sizeof coff) || u32(coff) != 0x00004550) // "PE\0\0"
        return std::nullopt;
    const quint16 sectionCount = u16(coff + 6);
    const quint16 optionalSize = u16(coff + 20);
    if (sectionCount == 0 || sectionCount > kMaxSections)
        return std::nullopt;

    // The optional header up to the resource entry of its data directory.
    uchar optional[136];
    if (optionalSize < 2 || !in.read(pe + 24, optional, 2))
        return std::nullopt;
    const quint16 magic = u16(optional);
    quint32 countAt = 0;
    if (magic == 0x10B) // PE32
        countAt = 92;
    else if (magic == 0x20B) // PE32+
        countAt = 108;
    else
        return std::nullopt;
    const quint32 resourceAt = countAt + 4 + 2 * 8; // data directory entry 2
    if (optionalSize < resourceAt + 8 || !in.read(pe + 24, optional, resourceAt + 8))
        return std::nullopt;
    Image image;
    image.resourceRva = u32(optional + resourceAt);
    if (u32(optional + countAt) < 3 || image.resourceRva == 0)
        return std::nullopt;

    QByteArray table(sectionCount * 40, Qt::Uninitialized);
    if (!in.read(pe + 24 + optionalSize, table.data(), quint32(table.size())))
        return std::nullopt;
    for (int i = 0; i < sectionCount; ++i) {
        const auto* s = reinterpret_cast<const uchar*>(table.constData()) + i * 40;
        const quint32 virtualSize = u32(s + 8), rawSize = u32(s + 16);
        // Only the bytes present in the file count, and no more than the section spans.
        const quint32 size = virtualSize != 0 ? std::min(virtualSize, rawSize) : rawSize;
        image.sections.append({u32(s + 12), size, u32(s + 20)});
    }
    return image;
}

// Reads `length` bytes at `offset` from the start of the resource directory.
bool readResource(BoundedReader& in, const Image& image, quint32 offset, void* into,
                  quint32 length) {
    const auto at = fileOffset(image.sections, quint64(image.resourceRva) + offset, length);
    return at && in.read(*at, into, length);
}

// The offset field of the entry to follow in the directory at `offset`: the entry with the
// number `id`, or the first entry when no number is asked for.
std::optional<quint32> findEntry(BoundedReader& in, const Image& image, quint32 offset,
                                 std::optional<quint32> id) {
    uchar header[16];
    if (!readResource(in, image, offset, header, sizeof header))
        return std::nullopt;
    const quint32 named = u16(header + 12), total = named + u16(header + 14);
    if (total == 0)
        return std::nullopt;
    // Named entries come first; numbered entries follow in ascending order.
    const quint32 first = id ? named : 0;
    const quint32 count = id ? std::min(total - first, kMaxTypeEntries) : 1;
    if (count == 0)
        return std::nullopt;
    QByteArray entries(count * 8, Qt::Uninitialized);
    if (!readResource(in, image, offset + 16 + first * 8, entries.data(), count * 8))
        return std::nullopt;
    const auto* e = reinterpret_cast<const uchar*>(entries.constData());
    for (quint32 i = 0; i < count; ++i, e += 8) {
        if (!id || u32(e) == *id)
            return u32(e + 4);
    }
    return std::nullopt;
}

// One node of the version block: a length, a value length, a type, a UTF-16 key, the value and
// the children, each part starting on a 4-byte boundary of the block.
struct Node {
    QString key;
    qsizetype valueStart = 0, valueEnd = 0; // the value's bytes
    qsizetype childStart = 0, end = 0;      // the children's bytes
};

qsizetype align4(qsizetype at) {
    return (at + 3) & ~qsizetype(3);
}

QString utf16Text(const uchar* p, qsizetype units) {
    QString text(units, Qt::Uninitialized);
    for (qsizetype i = 0; i < units; ++i)
        text[i] = QChar(u16(p + 2 * i));
    return text;
}

// The node at `at`, which must lie wholly before `limit`.
std::optional<Node> readNode(const QByteArray& block, qsizetype at, qsizetype limit) {
    const auto* data = reinterpret_cast<const uchar*>(block.constData());
    if (at + 6 > limit)
        return std::nullopt;
    const quint16 length = u16(data + at), valueLength = u16(data + at + 2);
    const bool text = u16(data + at + 4) == 1;
    if (length < 6 || at + length > limit)
        return std::nullopt;
    Node node;
    node.end = at + length;
    qsizetype keyEnd = at + 6;
    while (keyEnd + 2 <= node.end && u16(data + keyEnd) != 0)
        keyEnd += 2;
    if (keyEnd + 2 > node.end) // the key has no terminator inside the node
        return std::nullopt;
    node.key = utf16Text(data + at + 6, (keyEnd - at - 6) / 2);
    // A text value's length counts UTF-16 units; some compilers count bytes instead, so a
    // value is cut at the node's end rather than refused.
    node.valueStart = std::min(align4(keyEnd + 2), node.end);
    const qsizetype valueBytes = text ? 2 * qsizetype(valueLength) : valueLength;
    node.valueEnd = std::min(node.valueStart + valueBytes, node.end);
    node.childStart = std::min(align4(node.valueEnd), node.end);
    return node;
}

// The children of `parent`, up to the first malformed one.
QList<Node> children(const QByteArray& block, const Node& parent) {
    QList<Node> out;
    qsizetype at = parent.childStart;
    while (auto child = readNode(block, at, parent.end)) {
        out.append(*child);
        at = align4(child->end); // each child is at least 6 bytes long, so this ends
    }
    return out;
}

bool sameKey(const QString& a, const char* b) {
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

// A string value: the text up to its terminator, with the leading blanks and control
// characters taken off and any further control characters dropped, so that one value stays
// one line.
QString valueText(const QByteArray& block, const Node& node) {
    const auto* data = reinterpret_cast<const uchar*>(block.constData());
    QString text;
    bool leading = true;
    for (qsizetype at = node.valueStart; at + 2 <= node.valueEnd; at += 2) {
        const QChar c(u16(data + at));
        if (c.unicode() == 0)
            break;
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || (leading && c.unicode() == ' '))
            continue;
        leading = false;
        text.append(c);
    }
    return text;
}

// The version resource's bytes: the first name and language of the version type.
QByteArray versionResource(BoundedReader& in) {
    const auto image = readHeaders(in);
    if (!image)
        return {};
    // Type, then name, then language: three levels and no more, so a directory that
    // points back at itself or an ancestor ends the walk instead of looping.
    const auto type = findEntry(in, *image, 0, kResourceVersion);
    if (!type || !(*type & kSubdirectoryBit))
        return {};
    const auto name = findEntry(in, *image, *type & ~kSubdirectoryBit, std::nullopt);
    if (!name || !(*name & kSubdirectoryBit))
        return {};
    const auto language = findEntry(in, *image, *name & ~kSubdirectoryBit, std::nullopt);
    if (!language || (*language & kSubdirectoryBit))
        return {};
    uchar entry[16];
    if (!readResource(in, *image, *language, entry, sizeof entry))
        return {};
    const quint32 rva = u32(entry), size = u32(entry + 4);
    if (size == 0 || size > kMaxVersionResource)
        return {};
    const auto at = fileOffset(image->sections, rva, size);
    if (!at)
        return {};
    QByteArray data(size, Qt::Uninitialized);
    return in.read(*at, data.data(), size) ? data : QByteArray();
}

} // namespace

std::optional<QString> VersionInfo::value(const QString& tableKey, const QString& name) const {
    for (const Table& table : tables) {
        if (table.key.compare(tableKey, Qt::CaseInsensitive) != 0)
            continue;
        for (const auto& [key, text] : table.strings) {
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return text;
        }
    }
    return std::nullopt;
}

std::optional<VersionInfo> parseVersionInfo(const QByteArray& block) {
    const auto root = readNode(block, 0, block.size());
    if (!root)
        return std::nullopt;
    const auto* data = reinterpret_cast<const uchar*>(block.constData());
    VersionInfo info;
    if (root->valueEnd - root->valueStart >= 52 && u32(data + root->valueStart) == 0xFEEF04BD) {
        const uchar* f = data + root->valueStart;
        info.fixed = FixedFileInfo{u32(f + 8), u32(f + 12), u32(f + 16), u32(f + 20)};
    }
    for (const Node& part : children(block, *root)) {
        if (sameKey(part.key, "StringFileInfo")) {
            for (const Node& table : children(block, part)) {
                VersionInfo::Table parsed{table.key, {}};
                for (const Node& string : children(block, table))
                    parsed.strings.append({string.key, valueText(block, string)});
                info.tables.append(parsed);
            }
        } else if (sameKey(part.key, "VarFileInfo")) {
            for (const Node& var : children(block, part)) {
                if (!sameKey(var.key, "Translation"))
                    continue;
                for (qsizetype at = var.valueStart; at + 4 <= var.valueEnd; at += 4)
                    info.translations.append(u32(data + at));
            }
        }
    }
    return info;
}

QByteArray readVersionResource(int fd, qint64* bytesRead) {
    BoundedReader in(fd);
    const QByteArray resource = versionResource(in);
    if (bytesRead)
        *bytesRead = in.used();
    return resource;
}

QStringList versionInfoLines(const QByteArray& block) {
    static const std::pair<const char*, const char*> kItems[] = {
        {"CompanyName", "Company: \t"},
        {"FileDescription", "File description: \t"},
        {"FileVersion", "File version: \t"},
        {"InternalName", "Internal name: \t"},
        {"LegalCopyright", "Copyright: \t\t"},
        {"LegalTrademarks", "Trademarks: \t"},
        {"OriginalFilename", "Original filename: \t"},
        {"PrivateBuild", "Private build info: \t"},
        {"ProductName", "Product name: \t"},
        {"ProductVersion", "Product version: \t"},
        {"SpecialBuild", "Special build info: \t"},
    };
    const auto info = parseVersionInfo(block);
    if (!info || info->translations.isEmpty())
        return {};
    const quint32 first = info->translations.first();
    const QString table = QStringLiteral("%1%2")
                              .arg(first & 0xFFFF, 4, 16, QLatin1Char('0'))
                              .arg(first >> 16, 4, 16, QLatin1Char('0'));
    QStringList lines;
    for (const auto& [name, label] : kItems)
        lines << QLatin1String(label) + info->value(table, QLatin1String(name)).value_or(QString());
    return lines;
}

namespace {
// The version lines of an open file, when it is a regular file.
QStringList linesOfOpenFile(int fd) {
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    const QByteArray resource = readVersionResource(fd);
    return resource.isEmpty() ? QStringList() : versionInfoLines(resource);
}

constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
} // namespace

void readVersionInfo(const QString& path, QStringList& lines) {
    // The path is the one the person chose, so a symbolic link is followed to its program.
    const UniqueFd file(::open(toNative(path).constData(), kReadFlags));
    lines = linesOfOpenFile(file.fd);
}

void readVersionInfoAt(int dirFd, const char* name, QStringList& lines) {
    const UniqueFd file(::openat(dirFd, name, kReadFlags | O_NOFOLLOW));
    lines = linesOfOpenFile(file.fd);
}
