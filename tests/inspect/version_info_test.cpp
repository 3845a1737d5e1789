#include "inspect/pe_builder.h"
#include "inspect/version_info.h"
#include "platform/unique_fd.h"
#include "support/temp_tree.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/mman.h>
#include <sys/stat.h>

namespace {
const StringTable kEnglish{"040904B0",
                           {{"CompanyName", "  \tZelkova Works"},
                            {"FileDescription", "Disk tidier"},
                            {"FileVersion", "1.2.3.4"},
                            {"InternalName", "zk"},
                            {"LegalCopyright", "(c) 1995\r\nAll rights"},
                            {"OriginalFilename", "ZK.EXE"},
                            {"PrivateBuild", ""},
                            {"ProductName", "Zelkova"},
                            {"ProductVersion", "2.5"},
                            {"SpecialBuild", QString::fromUtf8("\xC3\xA9t\xC3\xA9")}}};
const quint32 kEnglishUnicode = 0x04B00409;

const QStringList kEnglishLines{"Company: \tZelkova Works",
                                "File description: \tDisk tidier",
                                "File version: \t1.2.3.4",
                                "Internal name: \tzk",
                                "Copyright: \t\t(c) 1995All rights",
                                "Trademarks: \t",
                                "Original filename: \tZK.EXE",
                                "Private build info: \t",
                                "Product name: \tZelkova",
                                "Product version: \t2.5",
                                QString::fromUtf8("Special build info: \t\xC3\xA9t\xC3\xA9")};

// The version resource that the reader finds in `image`, read from a file in memory.
QByteArray resourceIn(const QByteArray& image, qint64* bytesRead = nullptr) {
    const UniqueFd fd(::memfd_create("image", MFD_CLOEXEC));
    EXPECT_EQ(::write(fd.fd, image.constData(), size_t(image.size())), image.size());
    return readVersionResource(fd.fd, bytesRead);
}

QStringList linesOf(const QByteArray& image) {
    return versionInfoLines(resourceIn(image));
}

QByteArray englishImage(bool plus) {
    return buildPe(plus, versionBlock({kEnglish}, {kEnglishUnicode})).bytes;
}
} // namespace

// Both image kinds give the eleven lines in order: leading blanks and control characters go,
// a missing item leaves its label alone, and the table is found whatever the case of its
// hexadecimal digits.
TEST(VersionInfo, ReadsProgramsAndLibrariesOfBothWidths) {
    TempTree tree;
    for (bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        const QByteArray path = tree.abs(plus ? "wide.dll" : "narrow.exe");
        const QByteArray image = englishImage(plus);
        tree.file(plus ? "wide.dll" : "narrow.exe");
        FILE* f = std::fopen(path.constData(), "wb");
        ASSERT_EQ(std::fwrite(image.constData(), 1, size_t(image.size()), f), size_t(image.size()));
        std::fclose(f);
        QStringList lines{"stale"};
        readVersionInfo(QString::fromUtf8(path), lines);
        EXPECT_EQ(lines, kEnglishLines);
    }
    const auto info = parseVersionInfo(resourceIn(englishImage(true)));
    ASSERT_TRUE(info && info->fixed);
    EXPECT_EQ(info->fixed->fileVersionMS, 0x00010002u);
    EXPECT_EQ(info->fixed->fileVersionLS, 0x00030004u);
}

TEST(VersionInfo, UsesTheFirstTranslation) {
    const StringTable german{"040704e4", {{"CompanyName", "Zelkova GmbH"}}};
    const QStringList lines =
        versionInfoLines(versionBlock({kEnglish, german}, {0x04E40407, kEnglishUnicode}));
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[0], "Company: \tZelkova GmbH");
    EXPECT_EQ(lines[1], "File description: \t");
}

// Files that are not programs, or not regular files, give no lines and do not block.
TEST(VersionInfo, OtherFilesGiveNoLines) {
    TempTree tree;
    tree.file("empty");
    tree.dir("folder");
    ASSERT_EQ(::mkfifo(tree.abs("fifo").constData(), 0600), 0);
    const QByteArray text = tree.abs("text");
    FILE* f = std::fopen(text.constData(), "wb");
    std::fputs("MZ but nothing more", f);
    std::fclose(f);
    for (const char* name : {"empty", "folder", "fifo", "text", "missing"}) {
        QStringList lines{"stale"};
        readVersionInfo(tree.path() + "/" + name, lines);
        EXPECT_TRUE(lines.isEmpty()) << name;
    }
}

// A 4 GB file that is no program costs one small read; a forged section count or type count
// costs no more than the budget, and a resource near the largest possible still fits in it.
TEST(VersionInfo, ReadsOnlyHeadersAndTheResource) {
    TempTree tree;
    const QByteArray big = tree.file("big.iso", 4LL << 30);
    const UniqueFd fd(::open(big.constData(), O_RDONLY));
    qint64 used = -1;
    EXPECT_TRUE(readVersionResource(fd.fd, &used).isEmpty());
    EXPECT_LE(used, 64);

    // 65535 types, all inside the section: only the first ones are looked at.
    PeImage forged = buildPe(false, versionBlock({kEnglish}, {kEnglishUnicode}));
    put16(forged.bytes, forged.resources + 14, 0xFFFF);
    forged.bytes.resize(forged.resources + 600000);
    put32(forged.bytes, forged.sections + 8, 0);
    put32(forged.bytes, forged.sections + 16, 600000);
    EXPECT_EQ(versionInfoLines(resourceIn(forged.bytes, &used)), kEnglishLines);
    EXPECT_LE(used, kVersionReadBudget);

    const QString longValue(30000, QLatin1Char('x'));
    const QByteArray large =
        versionBlock({{"040904B0", {{"Comments", longValue}}}}, {kEnglishUnicode});
    ASSERT_GT(large.size(), 60000);
    EXPECT_EQ(linesOf(buildPe(true, large).bytes).size(), 11);
}

// Every broken length, offset or count gives no lines.
TEST(VersionInfo, MalformedImagesGiveNoLines) {
    using Break = std::function<void(PeImage&)>;
    const auto at16 = [](qsizetype PeImage::*part, qsizetype plus, quint16 v) {
        return Break([=](PeImage& i) { put16(i.bytes, i.*part + plus, v); });
    };
    const auto at32 = [](qsizetype PeImage::*part, qsizetype plus, quint32 v) {
        return Break([=](PeImage& i) { put32(i.bytes, i.*part + plus, v); });
    };
    const auto cut = [](qsizetype PeImage::*part, qsizetype plus) {
        return Break([=](PeImage& i) { i.bytes.truncate(i.*part + plus); });
    };
    const auto noTranslation =
        Break([](PeImage& i) { i = buildPe(false, versionBlock({kEnglish}, {})); });
    const std::pair<const char*, Break> cases[] = {
        {"no MZ", at16(&PeImage::pe, -0x80, 0x5A4E)},
        {"PE header past the end", at32(&PeImage::pe, 0x3C - 0x80, 0xFFFFFFF0)},
        {"no PE signature", at32(&PeImage::pe, 0, 0x00004551)},
        {"unknown optional header", at16(&PeImage::optional, 0, 0x107)},
        {"optional header too short", at16(&PeImage::pe, 20, 64)},
        {"no sections", at16(&PeImage::pe, 6, 0)},
        {"too many sections", at16(&PeImage::pe, 6, 0xFFFF)},
        {"resource directory outside every section", at32(&PeImage::optional, 96 + 16, 0x9000)},
        {"no version type", at32(&PeImage::versionEntry, 0, 17)},
        {"version type is no directory", at32(&PeImage::versionEntry, 4, 0x50)},
        {"root points at itself", at32(&PeImage::versionEntry, 4, 0x80000000)},
        {"language directory points at the root", at32(&PeImage::languageDir, 20, 0x80000000)},
        {"empty name directory", at16(&PeImage::nameDir, 14, 0)},
        {"directory offset past the section", at32(&PeImage::nameDir, 20, 0x8FFFFFF0)},
        {"data outside every section", at32(&PeImage::dataEntry, 0, 0xFFFFFFF0)},
        {"data size past the section", at32(&PeImage::dataEntry, 4, 0x10000)},
        {"data size of 4 GB", at32(&PeImage::dataEntry, 4, 0xFFFFFFFF)},
        {"zero data size", at32(&PeImage::dataEntry, 4, 0)},
        {"block length past the resource", at16(&PeImage::version, 0, 0xFFFF)},
        {"block length below its header", at16(&PeImage::version, 0, 4)},
        {"cut in the DOS header", cut(&PeImage::pe, -0x50)},
        {"cut in the section table", cut(&PeImage::sections, 20)},
        {"cut in the resource directory", cut(&PeImage::resources, 10)},
        {"cut in the version block", cut(&PeImage::version, 100)},
        {"empty translation table", noTranslation},
    };
    for (const auto& [name, breakIt] : cases) {
        PeImage image = buildPe(false, versionBlock({kEnglish}, {kEnglishUnicode}));
        breakIt(image);
        EXPECT_TRUE(linesOf(image.bytes).isEmpty()) << name;
    }
}

// Random damage never reads out of bounds (the sanitizers watch) and gives all lines or none.
TEST(VersionInfo, SurvivesRandomDamage) {
    std::mt19937 random(20261208);
    const QByteArray good[] = {englishImage(false), englishImage(true)};
    // Damage falls on the headers and the resource section alike; the special values are the
    // ones that overflow lengths and offsets.
    const quint32 special[] = {0, 1, 0x7F, 0x80, 0xFF, 0xFFFF, 0x8000, 0x80000000, 0xFFFFFFFF};
    int parsed = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = good[round % 2];
        const int changes = 1 + int(random() % 4);
        for (int c = 0; c < changes; ++c) {
            const qsizetype at = qsizetype(random() % quint32(bytes.size() - 3));
            switch (random() % 4) {
            case 0:
                bytes[at] = char(random());
                break;
            case 1:
                put16(bytes, at, quint16(special[random() % std::size(special)]));
                break;
            case 2:
                put32(bytes, at, special[random() % std::size(special)]);
                break;
            case 3:
                bytes.truncate(at + 4);
                break;
            }
        }
        const QStringList lines = linesOf(bytes);
        EXPECT_TRUE(lines.isEmpty() || lines.size() == 11);
        parsed += !lines.isEmpty();
    }
    EXPECT_GT(parsed, 100); // damage that misses what the reader uses leaves the lines
}
