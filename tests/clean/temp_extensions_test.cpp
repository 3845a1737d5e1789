#include "clean/temp_extensions.h"

#include "common/profile.h"
#include "platform/native_path.h"
#include "support/temp_tree.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {
QStringList patterns(const QStringList& entries) {
    QStringList out;
    for (const QString& e : entries)
        out << entryPattern(e);
    return out;
}

QStringList entries(const std::vector<const char*>& pats) {
    QStringList out;
    for (const char* p : pats)
        out << entryFor(fromNative(QByteArray(p)));
    return out;
}
} // namespace

TEST(TempExtensions, MatchRule) {
    struct Case {
        const char* name;
        std::vector<const char*> selected;
        bool temporary;
    };
    const std::vector<Case> cases = {
        {"REPORT.TMP", {"*.tmp"}, true},
        {"B.TMP", {"*.bak", "*.tmp"}, true},
        {"a.tmp.bak", {"*.tmp"}, false},
        {"a.tmp.bak", {"*.tmp", "*.bak"}, true},
        {"a.tmp1", {"*.tmp", "*.bak"}, false},
        {"x.temp", {"*.temp"}, true},
        {"x.temp", {"*.tmp"}, false},
        {"x.tmp", {"*.temp"}, false},
        {"name.", {"*.tmp"}, false},
        {"name.", {"*."}, true},
        // Empty keys match nothing, not every name without a dot.
        {"README", {"*", "."}, false},
        {"Makefile", {"*"}, false},
        {"a.tmp", {"*", "."}, false},
        {"~x.tmp", {"~*.tmp"}, false},
        {"x.$$$", {"*.$$$"}, true},
        {"Bild.ÄBC", {"*.äbc"}, true},
        {"weird.t\xc3mp", {"*.tmp"}, false},
        // Bytes that are not UTF-8 keep their own value when the letters beside them change
        // case: another byte is another extension.
        {"x.\xc3\x89\xfe", {"*.\xc3\x89\xff"}, false},
        {"x.\xc3\x89\xff", {"*.\xc3\xa9\xff"}, true},
        {"x.A\xfe", {"*.a\xff"}, false},
        {"x.A\xff", {"*.a\xff"}, true},
    };
    for (const Case& c : cases) {
        const QStringList sel = entries(c.selected);
        const QByteArray native = QByteArray(c.name);
        // The text rule and the walk's byte rule agree.
        EXPECT_EQ(isThisFileTemporary(fromNative(native), sel), c.temporary) << c.name;
        EXPECT_EQ(TempMatcher(sel).matches(native.constData(), int(native.size())), c.temporary)
            << c.name;
    }
}

TEST(TempExtensions, HandEditedSections) {
    struct Case {
        const char* text; // the settings file; nullptr: no file
        QStringList patterns;
    };
    const QStringList builtIn{"*.tmp", "*.fts", "*.bak", "*.$$$"};
    const std::vector<Case> cases = {
        {nullptr, builtIn},
        {"[Other]\nNumber=2\n", builtIn},
        {"[TempFiles]\nNumber=0\nFile1=*.a\n", {}},
        {"[TempFiles]\nNumber=-5\nFile1=*.a\n", builtIn},
        {"[TempFiles]\nNumber=many\nFile1=*.a\n", builtIn},
        {"[TempFiles]\nNumber=3\nFile1=*.a\nFile2=\nFile3=*.c\n", {"*.a", "*.c"}},
        {"[TempFiles]\nNumber=5\nFile5=*.e\nFile1=*.a\n", {"*.a", "*.e"}},
        {"[TempFiles]\nNumber=1\nFile1=*.a\nFile2=*.b\n", {"*.a"}},
        {"[TempFiles]\nNumber=0x2\nfile2=*.b\nFILE1=*.a\n", {"*.a", "*.b"}},
        {"[TempFiles]\nNumber=9223372036854775807\nFile1=*.a\nFile99999999999=*.z\n",
         {"*.a", "*.z"}},
        {"[TempFiles]\nNumber=2\nFile01=*.x\nFile1=*.a\nFile1=*.dup\nFile2\n", {"*.a"}},
        {"[TempFiles]\nNumber=2\nFile1=*.a\tmy type\nFile2=tmp\n", {"*.a", "tmp"}},
        {"[TempFiles]\nNumber=1\n[TempFiles]\nFile1=*.later\n", {}},
    };
    for (const Case& c : cases) {
        TempTree t;
        const QString ini = t.path() + QStringLiteral("/z.ini");
        if (c.text)
            t.write("z.ini", c.text);
        QElapsedTimer timer;
        timer.start();
        const QStringList got = ReadInFromDisk(ini);
        EXPECT_LT(timer.elapsed(), 2000) << (c.text ? c.text : "none");
        EXPECT_EQ(patterns(got), c.patterns) << (c.text ? c.text : "none");
        for (const QString& e : got)
            EXPECT_EQ(e, entryFor(entryPattern(e)));
    }
}

TEST(TempExtensions, SavedListsComeBackWithTheirTypes) {
    TempTree t;
    const QString ini = t.path() + QStringLiteral("/z.ini");
    QStringList list;
    for (const QString& e : defaultTempEntries())
        EXPECT_TRUE(addTempEntry(list, e));
    for (const QString& e : defaultTempEntries())
        EXPECT_FALSE(addTempEntry(list, e)); // Defaults twice adds nothing
    EXPECT_FALSE(addTempEntry(list, list[0].toUpper()));
    ASSERT_EQ(list.size(), 6);
    WriteOutToDisk(list, ini);
    EXPECT_EQ(ReadInFromDisk(ini), list);

    // A shorter list leaves the longer one's keys behind, unread.
    WriteOutToDisk(list.mid(0, 2), ini);
    EXPECT_EQ(ReadInFromDisk(ini), list.mid(0, 2));
    WriteOutToDisk({}, ini);
    EXPECT_EQ(ReadInFromDisk(ini), QStringList());
}

// Patterns with characters the settings format gives a meaning to, or that are not UTF-8, come
// back exactly as they were saved.
TEST(TempExtensions, OddPatternsComeBackExactly) {
    TempTree t;
    const QString ini = t.path() + QStringLiteral("/z.ini");
    const QStringList pats = {"*.a;b",
                              QString::fromUtf8("*.\xc3\xa9"),
                              "*.$$$",
                              "*.",
                              "*.a=b",
                              "*.[x]",
                              "*.x y",
                              ";*.c",
                              "*." + QString(250, u'a'),
                              fromNative(QByteArray("*.\xff\xfe"))};
    QStringList list;
    for (const QString& pat : pats)
        list << entryFor(pat);
    WriteOutToDisk(list, ini);
    EXPECT_EQ(ReadInFromDisk(ini), list);
}

TEST(TempExtensions, ARefusedSaveLeavesTheOldListWhole) {
    TempTree t;
    const QString ini = t.path() + QStringLiteral("/z.ini");
    const QStringList old = builtInTempEntries();
    WriteOutToDisk(old, ini);
    // A pattern the file cannot hold, in the middle of the list.
    QStringList bad = defaultTempEntries();
    bad.insert(3, QStringLiteral("*.a\nb\t"));
    EXPECT_THROW(WriteOutToDisk(bad, ini), ProfileWriteError);
    EXPECT_EQ(ReadInFromDisk(ini), old);
    // The file refuses every write (its lock cannot be taken).
    t.dir("z.ini.lock");
    EXPECT_THROW(WriteOutToDisk(defaultTempEntries(), ini), ProfileWriteError);
    EXPECT_EQ(ReadInFromDisk(ini), old);
}
