#include "finders/dup_title.h"

#include <gtest/gtest.h>

TEST(PrintTitle, FromModeSizePatternAndDrives) {
    const QString kb1 = QStringLiteral("KB (256000 bytes)");
    EXPECT_EQ(printTitle(false, sizePhrase(SizeMode::Larger, kb1, QString()), QStringLiteral("*.*"),
                         QStringLiteral("/ ")),
              QStringLiteral("File Hogs larger or equal to KB (256000 bytes) matching *.* on "
                             "drive(s) / "));
    EXPECT_EQ(printTitle(true, sizePhrase(SizeMode::Smaller, kb1, QString()),
                         QStringLiteral("*.bak"), QStringLiteral("/ /home ")),
              QStringLiteral("Duplicates smaller or equal to KB (256000 bytes) matching *.bak on "
                             "drive(s) / /home "));
    EXPECT_EQ(sizePhrase(SizeMode::Between, QStringLiteral("KB (102400 bytes)"),
                         QStringLiteral("KB ( 9.8 Meg)")),
              QStringLiteral("in between KB (102400 bytes) and KB ( 9.8 Meg)"));
}
