#include "platform/date_text.h"

#include <QApplication>
#include <QFontMetrics>
#include <gtest/gtest.h>

namespace {
const char* const kLocales[] = {"C",     "en_US", "en_GB", "de_DE", "ko_KR", "hu_HU",
                                "bg_BG", "fa_IR", "ar_EG", "zh_CN", "fr_CA", "ja_JP"};
} // namespace

TEST(DateText, SystemFormsHaveFourDigitYearsAndSecondsWithoutZone) {
    const QString date = shortDateFormat();
    EXPECT_TRUE(date.contains("yyyy"));
    EXPECT_FALSE(date.contains("yyyyy"));
    EXPECT_TRUE(longTimeFormat().contains("ss"));
    EXPECT_FALSE(longTimeFormat().contains('t'));
    EXPECT_TRUE(shortDateText(QDate(2025, 6, 5)).contains("2025"));
    EXPECT_EQ(shortDateText(QDate()), QString());
    EXPECT_EQ(longTimeText(QTime()), QString());
}

TEST(DateText, SystemTextsReadBack) {
    for (QDate d(1900, 1, 1); d.year() < 2110; d = d.addDays(53))
        ASSERT_EQ(parseShortDate(shortDateText(d)), d) << shortDateText(d).toStdString();
    for (int s = 0; s < 86400; s += 3607) {
        const QTime t = QTime(0, 0).addSecs(s);
        ASSERT_EQ(parseLongTime(longTimeText(t)), t) << longTimeText(t).toStdString();
    }
    EXPECT_EQ(parseLongTime("12:00:00"), QTime(12, 0));
    EXPECT_EQ(parseLongTime(" 23:59 "), QTime(23, 59));
    EXPECT_FALSE(parseShortDate("").isValid());
    EXPECT_FALSE(parseShortDate("not a date").isValid());
    EXPECT_FALSE(parseLongTime("25:00:00").isValid());
}

TEST(DateText, LocaleFormsAreWidenedAndLoseTheirZone) {
    const LocaleDateTexts us(QLocale("en_US"));
    EXPECT_EQ(us.dateFormat(), "M/d/yyyy");
    EXPECT_EQ(us.timeFormat(), "h:mm:ss AP");
    EXPECT_EQ(us.dateText(QDate(2025, 6, 5)), "6/5/2025");
    EXPECT_EQ(us.timeText(QTime(13, 4, 5)), "1:04:05 PM");

    EXPECT_EQ(LocaleDateTexts(QLocale("de_DE")).dateFormat(), "dd.MM.yyyy");
    EXPECT_EQ(LocaleDateTexts(QLocale("de_DE")).timeFormat(), "HH:mm:ss");
    EXPECT_EQ(LocaleDateTexts(QLocale("fa_IR")).timeFormat(), "H:mm:ss");  // "(t)" goes whole
    EXPECT_EQ(LocaleDateTexts(QLocale("zh_CN")).timeFormat(), "HH:mm:ss"); // leading zone
    EXPECT_EQ(LocaleDateTexts(QLocale("bg_BG")).dateText(QDate(2025, 6, 5)),
              QString::fromUtf8("5.06.2025 \xd0\xb3."));
    EXPECT_EQ(LocaleDateTexts(QLocale("fr_CA")).timeText(QTime(9, 8, 7)), "09 h 08 min 07 s");
}

TEST(DateText, EveryLocaleReadsBackWhatItWrites) {
    for (const char* name : kLocales) {
        const LocaleDateTexts texts{QLocale(QString::fromLatin1(name))};
        for (QDate d(1980, 1, 1); d.year() < 2108; d = d.addDays(211)) {
            const QString text = texts.dateText(d);
            ASSERT_EQ(texts.parseDate(text), d) << name << " " << text.toStdString();
        }
        for (int s = 1; s < 86400; s += 7919) {
            const QTime t = QTime(0, 0).addSecs(s);
            const QString text = texts.timeText(t);
            ASSERT_EQ(texts.parseTime(text), t) << name << " " << text.toStdString();
        }
    }
}

TEST(DateText, ReadsTwoDigitYearsAndRejectsJunk) {
    const LocaleDateTexts us(QLocale("en_US"));
    EXPECT_EQ(us.parseDate("6/5/25"), QDate(2025, 6, 5));
    EXPECT_EQ(us.parseDate("6/5/68"), QDate(2068, 6, 5));
    EXPECT_EQ(us.parseDate("6/5/69"), QDate(1969, 6, 5));
    EXPECT_EQ(us.parseDate(" 06/05/1999 "), QDate(1999, 6, 5));
    EXPECT_FALSE(us.parseDate("13/5/2025").isValid());
    EXPECT_FALSE(us.parseDate("2/30/2024").isValid());
    EXPECT_FALSE(us.parseDate("6/5/2025x").isValid());
    EXPECT_FALSE(us.parseDate("6/5").isValid());
    EXPECT_FALSE(us.parseDate("123/5/2025").isValid());
    EXPECT_EQ(us.parseTime("1:04:05 pm"), QTime(13, 4, 5));
    EXPECT_EQ(us.parseTime("1:04 PM"), QTime(13, 4));

    const LocaleDateTexts c(QLocale::c()); // "yyyy-MM-dd"
    EXPECT_EQ(c.parseDate("2025-6-5"), QDate(2025, 6, 5));
    EXPECT_EQ(c.parseDate("25-06-05"), QDate(2025, 6, 5));
    EXPECT_EQ(c.parseDate("5 jun 2025"), QDate());
    const LocaleDateTexts ar(QLocale("ar_EG")); // other digits: Qt's parser
    EXPECT_EQ(ar.parseDate(ar.dateText(QDate(1999, 12, 31))), QDate(1999, 12, 31));
}

// The plain C locale writes numeric dates of one width; its time form is the 24-hour one.
TEST(DateText, PlainLocaleWritesIsoDates) {
    const LocaleDateTexts c(QLocale::c());
    EXPECT_EQ(c.dateFormat(), "yyyy-MM-dd");
    EXPECT_EQ(c.dateText(QDate(2026, 12, 8)), "2026-12-08");
    EXPECT_EQ(c.timeText(QTime(9, 8, 7)), "09:08:07");

    struct Case {
        const char *all, *time, *lang;
        bool plain;
    } const cases[] = {
        {"", "", "", true},
        {"", "", "C", true},
        {"", "", "C.UTF-8", true},
        {"", "", "C.utf8", true},
        {"", "", "POSIX", true},
        {"", "C", "en_US.UTF-8", true},
        {"C.UTF-8", "de_DE.UTF-8", "de_DE.UTF-8", true},
        {"", "", "en_US.UTF-8", false},
        {"", "en_GB.UTF-8", "C.UTF-8", false},
        {"en_US.UTF-8", "C", "C", false},
        {"", "", "Ca_ES", false},
    };
    for (const Case& k : cases)
        EXPECT_EQ(isPlainTimeLocale(k.all, k.time, k.lang), k.plain)
            << k.all << "/" << k.time << "/" << k.lang;
}

// The samples bound the width of every text a column of dates or times can show.
TEST(DateText, SamplesAreTheWidestTexts) {
    const QFontMetrics fm(QApplication::font());
    for (const char* name : {"C", "en_US", "de_DE", "fr_FR", "ko_KR"}) {
        const LocaleDateTexts texts{QLocale(QString::fromLatin1(name))};
        int widestDate = 0, widestTime = 0;
        for (const QString& s : texts.dateSamples())
            widestDate = std::max(widestDate, fm.horizontalAdvance(s));
        for (const QString& s : texts.timeSamples())
            widestTime = std::max(widestTime, fm.horizontalAdvance(s));
        for (QDate d(2026, 1, 1); d.year() == 2026; d = d.addDays(1))
            ASSERT_LE(fm.horizontalAdvance(texts.dateText(d)), widestDate)
                << name << " " << texts.dateText(d).toStdString();
        for (int s = 0; s < 86400; s += 59)
            ASSERT_LE(fm.horizontalAdvance(texts.timeText(QTime(0, 0).addSecs(s))), widestTime)
                << name;
    }
}
