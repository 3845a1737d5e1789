#include "finders/file_records.h"
#include "platform/file_time.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {
qint64 localSeconds(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime).toSecsSinceEpoch();
}

void add(FileRecords& r, const QByteArray& name, qint64 written, qint64 accessed, qint64 created) {
    ScanFile f;
    f.name = name.constData();
    f.nameLength = int(name.size());
    f.size = 1;
    f.writeTime = written;
    f.accessTime = accessed;
    f.creationTime = created;
    r.file(f);
}
} // namespace

TEST(FileRecordsTest, KeepsTheThreeTimeStampsApart) {
    FileRecords r;
    const QByteArray folder = "/t";
    r.folderFiles(folder);
    const qint64 w = localSeconds(2001, 2, 3, 4, 5, 6);
    const qint64 a = localSeconds(2002, 3, 4, 5, 6, 8);
    const qint64 c = localSeconds(1999, 12, 31, 23, 59, 58);
    add(r, "f", w, a, c);
    ASSERT_EQ(r.count(), 1u);
    EXPECT_EQ(r.lastWriteFileDate(0), packFileTime(w));
    EXPECT_EQ(r.lastAccessFileDate(0), packFileTime(a));
    EXPECT_EQ(r.creationFileDate(0), packFileTime(c));
    EXPECT_LT(r.creationDateKey(0), r.writeDateKey(0));
    EXPECT_LT(r.writeDateKey(0), r.accessDateKey(0));
}

TEST(FileRecordsTest, TimesOutsideThePackedRangeShowEmptyAndSortAsTheOldest) {
    struct Case {
        qint64 seconds;
        bool packable;
    };
    const Case cases[] = {
        {localSeconds(1980, 1, 1, 0, 0, 0), true},
        {localSeconds(2107, 12, 31, 23, 59, 58), true},
        {localSeconds(1979, 12, 31, 23, 59, 59), false},
        {localSeconds(2108, 1, 1, 0, 0, 0), false},
        {-86400LL * 365 * 30, false},
        {localSeconds(2300, 6, 1, 0, 0, 0), false},
    };
    FileRecords r;
    const QByteArray folder = "/t";
    r.folderFiles(folder);
    for (const Case& c : cases)
        add(r, "f", c.seconds, c.seconds, c.seconds);
    ASSERT_EQ(r.count(), std::size(cases));
    const double oldestShown = r.writeDateKey(0);
    for (quint32 i = 0; i < r.count(); ++i) {
        const qint64 s = cases[i].seconds;
        EXPECT_EQ(r.lastWriteFileDate(i), cases[i].packable ? packFileTime(s) : 0u) << s;
        EXPECT_EQ(r.lastWriteFileDate(i) != 0, cases[i].packable) << s;
        EXPECT_EQ(r.creationFileDate(i), r.lastWriteFileDate(i)) << s;
        if (cases[i].packable)
            EXPECT_GE(r.accessDateKey(i), oldestShown) << s;
        else
            EXPECT_LT(r.accessDateKey(i), oldestShown) << s;
    }
}

TEST(FileRecordsTest, RecordsOutlastTheTrimAtTheEndOfEachRoot) {
    // The end of a root's walk gives back the last chunk's unused room; records of a later root
    // go on after it. Counts around the chunk size of 65,536 records.
    for (const quint32 first : {1u, 65535u, 65536u, 65537u}) {
        FileRecords r;
        const QByteArray a = "/a", b = "/b";
        auto walk = [&](const QByteArray& folder, quint32 from, quint32 to) {
            r.folderFiles(folder);
            for (quint32 i = from; i < to; ++i) {
                ScanFile f;
                const QByteArray name = QByteArray::number(i);
                f.name = name.constData();
                f.nameLength = int(name.size());
                f.size = i;
                r.file(f);
            }
            r.leaveFolder(folder, 0);
        };
        walk(a, 0, first);
        walk(b, first, first + 3);
        ASSERT_EQ(r.count(), first + 3) << first;
        for (const quint32 i : {0u, first - 1, first, first + 2}) {
            EXPECT_EQ(r.size(i), i) << first;
            EXPECT_EQ(r.path(i), (i < first ? "/a/" : "/b/") + QString::number(i)) << first;
        }
    }
}

TEST(FileRecordsTest, KeepsTheFolderPathPastTheCallThatGaveIt) {
    // A walk's folder path is valid only during folderFiles; the files come later.
    FileRecords r;
    r.folderFiles(QByteArray("/gone/before/its/files"));
    add(r, "f", 0, 0, 0);
    ASSERT_EQ(r.count(), 1u);
    EXPECT_EQ(r.path(0), QStringLiteral("/gone/before/its/files/f"));
}
