#include "inspect/strings_extract.h"
#include "platform/native_path.h"
#include "support/temp_tree.h"

#include <QStringList>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_literals;

namespace {

std::vector<std::string> listed(const StringList& list) {
    std::vector<std::string> out;
    for (size_t i = 0; i < list.count(); ++i)
        out.emplace_back(list.bytes(i));
    return out;
}

std::vector<std::string> extract(const std::string& bytes, size_t piece = 0) {
    StringList list;
    StringsExtractor extractor(list);
    if (piece == 0)
        piece = bytes.size();
    for (size_t at = 0; at < bytes.size(); at += piece)
        extractor.feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    return listed(list);
}

// The rule followed step by step, block by block, with the text and the overlong mark.
std::vector<std::string> extractByTheRule(const std::string& bytes) {
    std::vector<std::string> out;
    for (size_t block = 0; block < bytes.size(); block += 2048) {
        std::string t;
        bool overlong = false;
        for (size_t i = block; i < std::min(block + 2048, bytes.size()); ++i) {
            const unsigned char c = bytes[i];
            if (c == ' ' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                (c >= 'a' && c <= 'z')) {
                if (t.size() == 101)
                    overlong = true;
                else
                    t += char(c);
            } else {
                if (!overlong && t.size() >= 6)
                    out.push_back(t);
                t.clear();
                overlong = false;
            }
        }
    }
    return out;
}

void writeFile(const QByteArray& path, const std::string& bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    ::close(fd);
}

} // namespace

TEST(StringsExtractor, ListsRunsOfSixToOneHundredAndOneStringBytesEndedByABreak) {
    const std::string letters101(101, 'x');
    const struct {
        std::string bytes;
        std::vector<std::string> expected;
    } cases[] = {
        {""s, {}},
        {"\0abcde\0"s, {}},
        {"\0abcdef\0"s, {"abcdef"}},
        {"\0"s + letters101 + "\0"s, {letters101}},
        {"\0"s + letters101 + "y\0ok then\0"s, {"ok then"}},
        {"\0        \0"s, {"        "}},
        {"Hello, world\0"s, {" world"}},
        {"trailing run"s, {}},
        {"Zeta 99\tcaf\xc3\xa9 abcdefg\x80"s, {"Zeta 99", " abcdefg"}},
        {"a-b.c,AZaz09 \x7f"s, {"AZaz09 "}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(extract(c.bytes), c.expected) << c.bytes;
}

TEST(StringsExtractor, JudgesEachBlockOfTheFileByItself) {
    // A text across the offset 2048 keeps only its part after the offset; a run that ends
    // the block is dropped even when a break byte opens the next block.
    std::string bytes(2044, '\0');
    bytes += "abcdefghij\0"s;
    EXPECT_EQ(extract(bytes), std::vector<std::string>{"efghij"});
    std::string atEnd(2040, '\0');
    atEnd += "abcdefgh\0"s;
    EXPECT_EQ(extract(atEnd), std::vector<std::string>{});
}

TEST(StringsExtractor, PiecesOfAnySizeGiveWhatTheRuleGives) {
    // Text-like bytes with runs of every length, a few bytes above 127 and long runs.
    std::mt19937 random(7);
    std::string bytes;
    while (bytes.size() < 20000) {
        const int run = int(random() % 120);
        for (int i = 0; i < run; ++i)
            bytes += "ab cdXYZ0129"[random() % 12];
        bytes += "\0\n,\xe9"[random() % 4];
    }
    const std::vector<std::string> expected = extractByTheRule(bytes);
    ASSERT_GT(expected.size(), 50u);
    for (size_t piece :
         {size_t(0), size_t(1), size_t(7), size_t(100), size_t(2047), size_t(2049), size_t(65536)})
        EXPECT_EQ(extract(bytes, piece), expected) << "pieces of " << piece;
}

TEST(ExtractStrings, ReadsAFileAndStopsWhenAsked) {
    TempTree tree;
    std::string bytes;
    for (int i = 0; bytes.size() < 3u << 20; ++i)
        bytes += "string " + std::to_string(i) + "\n"s;
    const QByteArray path = tree.abs("big.bin");
    writeFile(path, bytes);

    const std::vector<std::string> all = extractByTheRule(bytes);
    StringList list;
    list.append("old", 3);
    ASSERT_EQ(extractStrings(fromNative(path), list), ExtractResult::Done);
    EXPECT_EQ(listed(list), all);
    EXPECT_EQ(list.text(1), QStringLiteral("string 1"));

    int calls = 0;
    EXPECT_EQ(extractStrings(fromNative(path), list, [&] { return ++calls < 2; }),
              ExtractResult::Stopped);
    EXPECT_EQ(calls, 2);
    EXPECT_GT(list.count(), 0u);
    EXPECT_EQ(list.bytes(list.count() - 1).substr(0, 7), "string ");
    EXPECT_LT(list.count(), all.size());

    writeFile(path, "");
    EXPECT_EQ(extractStrings(fromNative(path), list), ExtractResult::Done);
    EXPECT_EQ(list.count(), 0u);
}

TEST(ExtractStrings, RefusesWhatIsNotARegularFileWithoutBlockingAndKeepsTheList) {
    TempTree tree;
    const QByteArray fifo = tree.abs("fifo");
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    tree.dir("folder");
    for (const QByteArray& path :
         {fifo, tree.abs("folder"), tree.abs("missing"), QByteArray("/dev/zero")}) {
        StringList list;
        list.append("kept 1", 6);
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(extractStrings(fromNative(path), list), ExtractResult::CouldNotOpen)
            << path.constData();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
        ASSERT_EQ(list.count(), 1u);
        EXPECT_EQ(list.text(0), QStringLiteral("kept 1"));
    }
    EXPECT_EQ(couldNotOpenText(QStringLiteral("/a/b")), QStringLiteral("Could not open file /a/b"));
}
