#include "common/profile.h"
#include "delete/deletion_totals.h"
#include "platform/clock.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString kIni = QStringLiteral("zelkova.ini");
const QString kSection = QStringLiteral("Zelkova");

qint64 stored(const char* key) {
    return Profile(kIni).readInteger(kSection, QString::fromLatin1(key), -1);
}

class DeletionTotals : public ::testing::Test {
protected:
    void SetUp() override {
        QFile::remove(settingsFilePath(kIni));
        setClock([] { return QDateTime(QDate(2024, 3, 1), QTime(15, 30)); });
    }
    void TearDown() override { setClock({}); }

    const qint64 march1 = QDate(1899, 12, 30).daysTo(QDate(2024, 3, 1));
};

} // namespace

TEST_F(DeletionTotals, FirstDeletionStartsTheCountAndLaterRunsAddUp) {
    addToDeletionTotals(2, 100, 0, 0);
    EXPECT_EQ(stored("Ndelete"), 2);
    EXPECT_EQ(stored("SizeDelete"), 100);
    EXPECT_EQ(stored("NWaste"), -1); // nothing trashed yet: still "no total"
    EXPECT_EQ(stored("SizeWaste"), -1);
    EXPECT_EQ(stored("DelDate"), march1);

    setClock([] { return QDateTime(QDate(2024, 5, 9), QTime(9, 0)); });
    addToDeletionTotals(0, 0, 1, 50);
    addToDeletionTotals(3, 3'000'000'000LL, 0, 0); // byte totals beyond 32 bits
    EXPECT_EQ(stored("Ndelete"), 5);
    EXPECT_EQ(stored("SizeDelete"), 3'000'000'100LL);
    EXPECT_EQ(stored("NWaste"), 1);
    EXPECT_EQ(stored("SizeWaste"), 50);
    EXPECT_EQ(stored("DelDate"), march1); // never moved once set
}

TEST_F(DeletionTotals, ZeroNegativeOrMalformedTotalsStartAgain) {
    Profile ini(kIni);
    ini.writeInteger(kSection, QStringLiteral("Ndelete"), 0);
    ini.writeInteger(kSection, QStringLiteral("SizeDelete"), -5);
    ini.writeString(kSection, QStringLiteral("NWaste"), QStringLiteral("lots"));
    ini.writeInteger(kSection, QStringLiteral("SizeWaste"), 7);
    ini.writeInteger(kSection, QStringLiteral("DelDate"), 40000);
    addToDeletionTotals(4, 400, 2, 20);
    EXPECT_EQ(stored("Ndelete"), 4);
    EXPECT_EQ(stored("SizeDelete"), 400);
    EXPECT_EQ(stored("NWaste"), 2);
    EXPECT_EQ(stored("SizeWaste"), 27);
    EXPECT_EQ(stored("DelDate"), 40000);
}

TEST_F(DeletionTotals, ARunThatRemovedNothingRecordsNoDate) {
    addToDeletionTotals(0, 0, 0, 0);
    EXPECT_EQ(stored("DelDate"), -1);
    EXPECT_EQ(stored("Ndelete"), -1);
}

TEST_F(DeletionTotals, ResetClearsAllFiveKeys) {
    addToDeletionTotals(2, 100, 1, 50);
    resetDeletionTotals();
    for (const char* key : {"Ndelete", "SizeDelete", "NWaste", "SizeWaste", "DelDate"}) {
        EXPECT_EQ(stored(key), -1) << key;
        EXPECT_EQ(Profile(kIni).readString(kSection, QString::fromLatin1(key), QString()),
                  QStringLiteral("-1"))
            << key;
    }
    addToDeletionTotals(1, 10, 0, 0);
    EXPECT_EQ(stored("Ndelete"), 1);
    EXPECT_EQ(stored("DelDate"), march1);
}
