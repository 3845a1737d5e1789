#include "common/profile.h"
#include "model/deletion_totals.h"
#include "platform/clock.h"
#include "support/child_process.h"
#include "support/temp_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

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
        QFile::remove(settingsFilePath(kIni) + QStringLiteral(".lock"));
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

    // Totals at the top of the 64-bit range (a hand edit, or sparse files of exabytes) stay
    // there rather than wrapping round to a negative "no total".
    constexpr qint64 top = std::numeric_limits<qint64>::max();
    ini.writeInteger(kSection, QStringLiteral("SizeDelete"), top - 10);
    ini.writeInteger(kSection, QStringLiteral("NWaste"), top);
    addToDeletionTotals(1, 400, 1, 20);
    EXPECT_EQ(stored("SizeDelete"), top);
    EXPECT_EQ(stored("NWaste"), top);
    EXPECT_EQ(stored("SizeWaste"), 47);

    // A negative amount (a sum that wrapped round) is refused: no total shrinks or turns
    // negative, and "no total" stays "no total".
    ini.writeInteger(kSection, QStringLiteral("Ndelete"), -1);
    addToDeletionTotals(-3, -6'917'529'027'641'081'856LL, 1, -1);
    EXPECT_EQ(stored("Ndelete"), -1);
    EXPECT_EQ(stored("SizeDelete"), top);
    EXPECT_EQ(stored("NWaste"), top);
    EXPECT_EQ(stored("SizeWaste"), 47);
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

TEST_F(DeletionTotals, TwoCopiesAddingAtOnceLoseNothing) {
    constexpr int kRuns = 200;
    pid_t children[2];
    for (pid_t& child : children) {
        child = ::fork();
        if (child == 0) {
            try {
                for (int i = 0; i < kRuns; ++i)
                    addToDeletionTotals(1, 10, 1, 0);
            } catch (const ProfileWriteError&) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        ASSERT_GT(child, 0);
    }
    for (const pid_t child : children) {
        int status = -1;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(stored("Ndelete"), 2 * kRuns);
    EXPECT_EQ(stored("SizeDelete"), 2 * kRuns * 10);
    EXPECT_EQ(stored("NWaste"), 2 * kRuns);
    EXPECT_EQ(stored("DelDate"), march1);
}

TEST_F(DeletionTotals, AFullDiskKeepsTheStoredSettingsAndSaysSo) {
    TempTree t;
    t.dir("config");
    const ChildResult result = runInMountNamespace([&]() -> QString {
        if (::mount("tmpfs", t.abs("config").constData(), "tmpfs", 0, "size=64k") != 0)
            return kChildSkip;
        ::setenv("XDG_CONFIG_HOME", t.abs("config").constData(), 1);
        Profile ini(kIni);
        ini.writeString(QStringLiteral("frmDups"), QStringLiteral("frmMods"),
                        QStringLiteral("0 1 0 0 0 0 10 20 300 400 "));
        // A file of two pages of memory, so that one free page is not enough for the new one.
        ini.writeString(QStringLiteral("TempFiles"), QStringLiteral("File1"), QString(6000, u'x'));
        addToDeletionTotals(5, 500, 0, 0);
        QFile file(ini.fileName());
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("no settings file");
        const QByteArray before = file.readAll();
        file.close();

        // Fill the file system, then free one page: the new file starts to be written and
        // then finds the disk full.
        const int filler = ::open(t.abs("config/filler").constData(), O_WRONLY | O_CREAT, 0600);
        const QByteArray page(4096, 'f');
        off_t size = 0;
        while (::write(filler, page.constData(), size_t(page.size())) == page.size())
            size += page.size();
        const bool freed = ::ftruncate(filler, size - page.size()) == 0;
        ::close(filler);
        if (!freed)
            return QStringLiteral("cannot make room");

        QString problems;
        try {
            addToDeletionTotals(1, 10, 0, 0);
            problems += QStringLiteral("the write was not refused; ");
        } catch (const ProfileWriteError& e) {
            if (e.message() != QStringLiteral("Unable to write to ") + ini.fileName())
                problems += e.message() + QStringLiteral("; ");
        }
        if (!file.open(QIODevice::ReadOnly) || file.readAll() != before)
            problems += QStringLiteral("the stored settings changed; ");
        const QStringList left =
            QDir(QFileInfo(ini.fileName()).path())
                .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
        if (left != QStringList{QStringLiteral("zelkova.ini")})
            problems += QStringLiteral("left behind: ") + left.join(u' ');
        return problems;
    });
    if (result.skipped)
        GTEST_SKIP() << "cannot mount a small file system here";
    EXPECT_TRUE(result.problems.isEmpty()) << result.problems.toStdString();
}
