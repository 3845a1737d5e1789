#include "finders/byte_arena.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(ByteArena, HandlesStayValidAcrossTrimAndLaterAdds) {
    ByteArena arena;
    std::vector<std::pair<quint32, std::string>> kept;
    const auto add = [&](const std::string& text) {
        quint32 handle = 0;
        ASSERT_TRUE(arena.add(text.data(), text.size(), handle));
        kept.emplace_back(handle, text);
    };
    for (int i = 0; i < 100; ++i)
        add("name" + std::to_string(i));
    arena.trim();
    arena.trim(); // a second trim of a full chunk changes nothing
    for (int i = 0; i < 100; ++i)
        add("later" + std::to_string(i));
    add(std::string(size_t(1) << ByteArena::ChunkBits, 'x') + "y"); // larger than a chunk
    arena.trim();
    add("after");
    for (const auto& [handle, text] : kept)
        EXPECT_EQ(std::string(arena.at(handle), text.size()), text);
}
