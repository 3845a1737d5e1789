#include "finders/unread_folders.h"

#include "platform/native_path.h"

#include <cerrno>
#include <gtest/gtest.h>

TEST(UnreadFolders, NoteCountsFolders) {
    const std::pair<qsizetype, const char*> cases[] = {
        {0, ""},
        {1, " (1 folder could not be read)"},
        {3, " (3 folders could not be read)"},
        {1234, " (1,234 folders could not be read)"},
    };
    for (const auto& [count, note] : cases)
        EXPECT_EQ(unreadNote(count), QString::fromUtf8(note)) << count;
}

TEST(UnreadFolders, ListGivesPathAndReasonAndStopsWhenLong) {
    const std::vector<ScanEngine::UnreadFolder> folders{
        {"/d/locked", EACCES}, {"/d/caf\xe9", EIO}, {"/d/third", EACCES}};
    EXPECT_EQ(unreadListText(folders, 2),
              QStringLiteral("/d/locked: Permission denied\n") + fromNative("/d/caf\xe9") +
                  QStringLiteral(": Input/output error\n... and 1 more"));
    EXPECT_EQ(unreadListText(folders).count(u'\n'), 2);
}
