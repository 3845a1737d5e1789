#include "model/search_path.h"

#include <gtest/gtest.h>

TEST(SearchPath, RowPathsLoseTheMarkerAndTheNamePadding) {
    EXPECT_EQ(pathFromFolderAndName(QStringLiteral("/usr/bin") + kSearchPathMarker,
                                    QStringLiteral("ls            ")),
              QStringLiteral("/usr/bin/ls"));
    EXPECT_EQ(pathFromFolderAndName(QStringLiteral("/"), QStringLiteral("a long file name.txt")),
              QStringLiteral("/a long file name.txt"));
    EXPECT_EQ(joinFolderAndName(QStringLiteral("/home/x/"), QStringLiteral("f")),
              QStringLiteral("/home/x/f"));
}
