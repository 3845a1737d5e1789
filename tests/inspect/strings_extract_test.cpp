#include "inspect/strings_extract.h"
#include "platform/native_path.h"
#include "support/temp_tree.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_literals;
using Strings = std::vector<std::string>;

namespace {

Strings listed(const StringList& list) {
    Strings out;
    for (size_t i = 0; i < list.count(); ++i)
        out.emplace_back(list.bytes(i));
    return out;
}

Strings extract(const std::string& bytes, size_t piece = SIZE_MAX) {
    StringList list;
    StringsExtractor extractor(list);
    for (size_t at = 0; at < bytes.size(); at += piece)
        extractor.feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    return listed(list);
}

} // namespace

TEST(StringsExtractor, ListsRunsOfSixToOneHundredAndOneStringBytesEndedByABreakInTheirBlock) {
    const std::string x101(101, 'x');
    const std::string nul2040(2040, '\0');
    const struct {
        std::string bytes;
        Strings expected;
    } cases[] = {
        {""s, {}},
        {"\0abcde\0abcdef\0"s, {"abcdef"}},
        {"\0"s + x101 + "\0"s + x101 + "y\0ok then\0"s, {x101, "ok then"}},
        {"\0        \0"s, {"        "}},
        {"Hello, world\0"s, {" world"}},
        {"trailing run"s, {}},
        {"Zeta 99\tcaf\xc3\xa9 abcdefg\x80"s, {"Zeta 99", " abcdefg"}},
        {"a-b.c,AZaz09 \x7f"s, {"AZaz09 "}},
        // Across the offset 2048 only the part after it counts; a run that ends its block is
        // dropped although a break byte opens the next one.
        {nul2040 + "    abcdefghij\0"s, {"efghij"}},
        {nul2040 + "abcdefgh\0"s, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(extract(c.bytes), c.expected) << c.bytes;
}

TEST(StringsExtractor, PiecesOfAnySizeGiveWhatTheWholeGives) {
    std::mt19937 random(7);
    std::string bytes;
    while (bytes.size() < 20000) {
        for (int run = int(random() % 120); run > 0; --run)
            bytes += "ab cdXYZ0129"[random() % 12];
        bytes += "\0\n,\xe9"[random() % 4];
    }
    const Strings whole = extract(bytes);
    ASSERT_GT(whole.size(), 50u);
    for (size_t piece : {1, 7, 100, 2047, 2049, 65536})
        EXPECT_EQ(extract(bytes, piece), whole) << "pieces of " << piece;
}

TEST(ExtractStrings, ReadsAFileToItsEndOrUntilStopped) {
    TempTree tree;
    std::string bytes;
    for (int i = 0; bytes.size() < 3u << 20; ++i)
        bytes += "string " + std::to_string(i) + "\n"s;
    const QByteArray path = tree.abs("big.bin");
    const auto write = [&](const std::string& content) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_EQ(::write(fd, content.data(), content.size()), ssize_t(content.size()));
        ::close(fd);
    };
    write(bytes);

    StringList list;
    list.append("old", 3);
    ASSERT_EQ(extractStrings(fromNative(path), list), ExtractResult::Done);
    const Strings all = extract(bytes);
    EXPECT_EQ(listed(list), all);

    int calls = 0;
    EXPECT_EQ(extractStrings(fromNative(path), list, [&] { return ++calls < 2; }),
              ExtractResult::Stopped);
    EXPECT_EQ(calls, 2);
    EXPECT_GT(list.count(), 0u);
    EXPECT_LT(list.count(), all.size());

    write("");
    EXPECT_EQ(extractStrings(fromNative(path), list), ExtractResult::Done);
    EXPECT_EQ(list.count(), 0u);
}

TEST(ExtractStrings, RefusesAFifoAtOnceAndKeepsTheList) {
    TempTree tree;
    const QByteArray fifo = tree.abs("fifo");
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    StringList list;
    list.append("kept 1", 6);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(extractStrings(fromNative(fifo), list), ExtractResult::CouldNotOpen);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
    ASSERT_EQ(list.count(), 1u);
    EXPECT_EQ(list.text(0), QStringLiteral("kept 1"));
    EXPECT_EQ(couldNotOpenText(QStringLiteral("/a/b")), QStringLiteral("Could not open file /a/b"));
}
