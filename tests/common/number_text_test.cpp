#include "common/number_text.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {
// The locale's separators, so the expectations hold under any system locale with groups of
// three digits.
QString group() {
    return QLocale::system().groupSeparator();
}
QString point() {
    return QLocale::system().decimalPoint();
}
} // namespace

TEST(NumberText, KiloToMegaSwitchesToMegabytesAt1024) {
    EXPECT_EQ(KiloToMega(0), QStringLiteral("KB (0 bytes)"));
    EXPECT_EQ(KiloToMega(250), QStringLiteral("KB (256000 bytes)"));
    EXPECT_EQ(KiloToMega(1023), QStringLiteral("KB (1047552 bytes)"));
    EXPECT_EQ(KiloToMega(1024), QStringLiteral("KB ( 1") + point() + QStringLiteral("0 Meg)"));
    EXPECT_EQ(KiloToMega(10000), QStringLiteral("KB ( 9") + point() + QStringLiteral("8 Meg)"));
    EXPECT_EQ(KiloToMega(102400), QStringLiteral("KB (100") + point() + QStringLiteral("0 Meg)"));
    // Over 2^31 K (2 TB): no wrap to a negative number.
    EXPECT_EQ(KiloToMega(3000000000LL),
              QStringLiteral("KB (2929687") + point() + QStringLiteral("5 Meg)"));
}

TEST(NumberText, FormatSizeKIsRightJustifiedAndOrdersLikeTheSizes) {
    EXPECT_EQ(formatSizeK(0, 0), QStringLiteral("      0.0"));
    EXPECT_EQ(formatSizeK(0, 50), QStringLiteral("      0.1"));
    EXPECT_EQ(formatSizeK(0, 500), QStringLiteral("      0.4"));
    EXPECT_EQ(formatSizeK(0, 1023), QStringLiteral("      0.9"));
    EXPECT_EQ(formatSizeK(1024 / 1024, 1024), QStringLiteral("     1"));
    EXPECT_EQ(formatSizeK(999999, 999999LL * 1024), QStringLiteral("999999"));
    EXPECT_EQ(formatSizeK(1048576000 / 1024, 1048576000), QStringLiteral("1024000"));
    const qint64 fiveGb = 5LL * 1024 * 1024 * 1024;
    EXPECT_EQ(formatSizeK(fiveGb / 1024, fiveGb), QStringLiteral("5242880"));

    // Compared as text, the forms order like the sizes up to 999,999 K.
    const qint64 sizes[] = {
        0, 1, 206, 1023, 1024, 9 * 1024, 10 * 1024, 123456 * 1024LL, 999999 * 1024LL};
    for (size_t i = 1; i < std::size(sizes); ++i)
        EXPECT_LT(formatSizeK(sizes[i - 1] / 1024, sizes[i - 1]),
                  formatSizeK(sizes[i] / 1024, sizes[i]))
            << sizes[i - 1] << " vs " << sizes[i];
}

TEST(NumberText, FormatThousandsGroupsDigits) {
    EXPECT_EQ(formatThousands(0), QStringLiteral("0"));
    EXPECT_EQ(formatThousands(999), QStringLiteral("999"));
    EXPECT_EQ(formatThousands(1000), QStringLiteral("1") + group() + QStringLiteral("000"));
    EXPECT_EQ(formatThousands(1234567), QStringLiteral("1") + group() + QStringLiteral("234") +
                                            group() + QStringLiteral("567"));
    const QString negative = formatThousands(-1234567);
    EXPECT_TRUE(negative.startsWith(QLocale::system().negativeSign())) << negative.toStdString();
    EXPECT_EQ(negative.mid(QLocale::system().negativeSign().size()), formatThousands(1234567));
    // 2^40: beyond 32 bits.
    EXPECT_EQ(formatThousands(1LL << 40), QStringLiteral("1") + group() + QStringLiteral("099") +
                                              group() + QStringLiteral("511") + group() +
                                              QStringLiteral("627") + group() +
                                              QStringLiteral("776"));
}
