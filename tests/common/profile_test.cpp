#include "common/profile.h"

#include "support/temp_tree.h"

#include <QFile>
#include <QRegularExpression>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QByteArray slurp(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void spit(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Every line is blank, a comment, a section or a key line, with no control characters.
bool wellFormed(const QByteArray& bytes) {
    static const QRegularExpression line(QStringLiteral("^(|;.*|\\[.*\\]|[^=\\[;][^=]*=.*)$"));
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        return false;
    for (const QByteArray& l : bytes.split('\n')) {
        for (const char c : l)
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
                return false;
        if (!line.match(QString::fromUtf8(l)).hasMatch())
            return false;
    }
    return true;
}

// Runs `work` in a child process that has dropped to the unprivileged uid and gid 65534
// (when running as root), and returns its exit code.
int runAsNobody(const std::function<int()>& work) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 &&
            (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0))
            _exit(99);
        _exit(work());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}
} // namespace

TEST(Profile, MissingFileReadsDefaultsAndLivesInTheConfigFolder) {
    const QString expected =
        QFile::decodeName(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/zelkova/absent.ini");
    EXPECT_EQ(settingsFilePath(QStringLiteral("absent.ini")), expected);

    Profile p(QStringLiteral("absent.ini"));
    EXPECT_EQ(p.fileName(), expected);
    EXPECT_EQ(p.readInteger(QStringLiteral("TempFiles"), QStringLiteral("Number"), -1), -1);
    EXPECT_EQ(p.readString(QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("dflt")),
              QStringLiteral("dflt"));

    // The first write makes the folder.
    p.writeInteger(QStringLiteral("TempFiles"), QStringLiteral("Number"), 0);
    EXPECT_TRUE(QFile::exists(expected));
    EXPECT_EQ(p.readInteger(QStringLiteral("TempFiles"), QStringLiteral("Number"), -1), 0);
}

TEST(Profile, NamesMatchWithoutRegardToCaseAndUpdatesStayInPlace) {
    TempTree t;
    const QString path = t.path() + QStringLiteral("/z.ini");
    Profile p(path);
    p.writeString(QStringLiteral("TempFiles"), QStringLiteral("File1"), QStringLiteral("*.tmp"));
    p.writeString(QStringLiteral("TEMPFILES"), QStringLiteral("file1"), QStringLiteral("*.bak"));
    EXPECT_EQ(p.readString(QStringLiteral("tempfiles"), QStringLiteral("FILE1"), {}),
              QStringLiteral("*.bak"));
    EXPECT_EQ(slurp(path), QByteArray("[TempFiles]\nFile1=*.bak\n"));

    // A missing File<n> reads as the default; blanks around names and values are not part
    // of them.
    spit(path, "[TempFiles]\n  Number = 3 \nFile1=*.tmp\nFile3=*.$$$\n");
    EXPECT_EQ(p.readInteger(QStringLiteral("TempFiles"), QStringLiteral("Number"), -1), 3);
    EXPECT_EQ(p.readString(QStringLiteral("TempFiles"), QStringLiteral("File2"), {}), QString());
    EXPECT_EQ(p.readString(QStringLiteral("TempFiles"), QStringLiteral("File3"), {}),
              QStringLiteral("*.$$$"));
}

TEST(Profile, IntegerValueRules) {
    TempTree t;
    const QString path = t.path() + QStringLiteral("/n.ini");
    spit(path, "[S]\nhex=0x10\nHEX=0X1f\nbare=0x\nsuffix=12abc\nempty=\nneg=-5\nplus=+7\n"
               "big=5000000000\nmax=9223372036854775807\nmin=-9223372036854775808\n"
               "over=9223372036854775808\nallf=0xFFFFFFFFFFFFFFFF\nhexover=0x1FFFFFFFFFFFFFFFF\n"
               "hexjunk=0x1g\nspaced=1 2\n");
    Profile p(path);
    auto num = [&](const char* key) {
        return p.readInteger(QStringLiteral("S"), QString::fromLatin1(key), -77);
    };
    EXPECT_EQ(num("hex"), 16);
    EXPECT_EQ(num("bare"), -77);
    EXPECT_EQ(num("suffix"), -77);
    EXPECT_EQ(num("empty"), -77);
    EXPECT_EQ(num("neg"), -5);
    EXPECT_EQ(num("plus"), 7);
    EXPECT_EQ(num("big"), 5000000000LL);
    EXPECT_EQ(num("max"), std::numeric_limits<qint64>::max());
    EXPECT_EQ(num("min"), std::numeric_limits<qint64>::min());
    EXPECT_EQ(num("over"), -77);
    EXPECT_EQ(num("allf"), -1);
    EXPECT_EQ(num("hexover"), -77);
    EXPECT_EQ(num("hexjunk"), -77);
    EXPECT_EQ(num("spaced"), -77);
    EXPECT_EQ(num("absent"), -77);

    p.writeInteger(QStringLiteral("Zelkova"), QStringLiteral("SizeDelete"), 6000000000LL);
    EXPECT_EQ(p.readInteger(QStringLiteral("Zelkova"), QStringLiteral("SizeDelete"), -1),
              6000000000LL);
    p.writeInteger(QStringLiteral("Zelkova"), QStringLiteral("SizeDelete"), -1);
    EXPECT_EQ(p.readString(QStringLiteral("Zelkova"), QStringLiteral("SizeDelete"), {}),
              QStringLiteral("-1"));
}

TEST(Profile, StringsAreReadUpTo1023Characters) {
    TempTree t;
    Profile p(t.path() + QStringLiteral("/s.ini"));
    p.writeString(QStringLiteral("S"), QStringLiteral("long"), QString(2000, u'a'));
    EXPECT_EQ(p.readString(QStringLiteral("S"), QStringLiteral("long"), {}), QString(1023, u'a'));
    // A character outside the basic plane straddling the limit is not cut in half.
    const QString clef = QString::fromUcs4(U"\U0001D11E");
    p.writeString(QStringLiteral("S"), QStringLiteral("wide"), QString(1022, u'b') + clef + clef);
    EXPECT_EQ(p.readString(QStringLiteral("S"), QStringLiteral("wide"), {}), QString(1022, u'b'));
    // The whole value stays in the file.
    p.writeString(QStringLiteral("S"), QStringLiteral("other"), QStringLiteral("x"));
    EXPECT_TRUE(slurp(p.fileName()).contains("long=" + QByteArray(2000, 'a') + '\n'));
}

TEST(Profile, WritesKeepOtherLinesAndTheirOrder) {
    TempTree t;
    const QString path = t.path() + QStringLiteral("/order.ini");
    spit(path, "; kept comment\n[First]\nA = 1\nb=2\n\n[/usr/bin/zel]kova]\nfrmView=1 2 \n"
               "[Last]\nz=9\n");
    Profile p(path);
    p.writeString(QStringLiteral("first"), QStringLiteral("C"), QStringLiteral("3"));
    p.writeString(QStringLiteral("/usr/bin/zel]kova"), QStringLiteral("frmBrowse"),
                  QStringLiteral("x"));
    p.writeString(QStringLiteral("New"), QStringLiteral("k"), QStringLiteral("v"));
    p.writeString(QStringLiteral("Last"), QStringLiteral("Z"), QStringLiteral("10"));
    EXPECT_EQ(slurp(path), QByteArray("; kept comment\n[First]\nA = 1\nb=2\nC=3\n\n"
                                      "[/usr/bin/zel]kova]\nfrmView=1 2 \nfrmBrowse=x\n"
                                      "[Last]\nz=10\n\n[New]\nk=v\n"));
    EXPECT_EQ(p.readString(QStringLiteral("/usr/bin/zel]kova"), QStringLiteral("frmView"), {}),
              QStringLiteral("1 2"));

    // A section named by a path that is not UTF-8 is found again exactly.
    const QString odd = QStringLiteral("/opt/z") + QChar(0xDCE9) + QStringLiteral("/zelkova");
    p.writeString(odd, QStringLiteral("frmView"), QStringLiteral("5"));
    EXPECT_TRUE(slurp(path).contains("[/opt/z\xe9/zelkova]\nfrmView=5\n"));
    EXPECT_EQ(p.readInteger(odd, QStringLiteral("frmView"), -1), 5);
}

TEST(Profile, ABatchOfKeysIsWrittenInOnePassOrNotAtAll) {
    TempTree t;
    const QString path = t.path() + QStringLiteral("/batch.ini");
    spit(path, "[TempFiles]\nfile2=old\nNumber=9\nFile2=shadowed\n[Other]\nx=1\n");
    Profile p(path);
    p.update([](ProfileUpdate& f) {
        f.writeStrings(
            QStringLiteral("tempfiles"),
            {{"Number", "3"}, {"File1", "a"}, {"File2", "b"}, {"File3", "first"}, {"File3", "c"}});
        f.writeStrings(QStringLiteral("New"), {{"k", "v"}, {"j", "w"}});
    });
    // Existing keys change in place (the first of a pair), new ones follow the last key.
    EXPECT_EQ(slurp(path), QByteArray("[TempFiles]\nfile2=b\nNumber=3\nFile2=shadowed\n"
                                      "File1=a\nFile3=c\n[Other]\nx=1\n\n[New]\nk=v\nj=w\n"));
    const auto keys = p.readSection(QStringLiteral("TEMPFILES"));
    ASSERT_EQ(keys.size(), 5);
    EXPECT_EQ(keys[2], std::make_pair(QStringLiteral("File2"), QStringLiteral("shadowed")));

    const QByteArray before = slurp(path);
    EXPECT_THROW(p.update([](ProfileUpdate& f) {
        f.writeStrings(QStringLiteral("TempFiles"), {{"File1", "z"}, {"File2", "a\nb"}});
    }),
                 ProfileWriteError);
    EXPECT_EQ(slurp(path), before);
}

TEST(Profile, TwoProfilesWritingInTurnSeeEachOthersKeys) {
    TempTree t;
    const QString path = t.path() + QStringLiteral("/shared.ini");
    Profile a(path), b(path);
    a.writeInteger(QStringLiteral("Zelkova"), QStringLiteral("Ndelete"), 2);
    b.writeInteger(QStringLiteral("Zelkova"), QStringLiteral("NWaste"), 1);
    a.writeInteger(QStringLiteral("TempFiles"), QStringLiteral("Number"), 4);
    EXPECT_EQ(b.readInteger(QStringLiteral("Zelkova"), QStringLiteral("Ndelete"), -1), 2);
    EXPECT_EQ(a.readInteger(QStringLiteral("Zelkova"), QStringLiteral("NWaste"), -1), 1);
    EXPECT_EQ(b.readInteger(QStringLiteral("TempFiles"), QStringLiteral("Number"), -1), 4);
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".lock")));
}

TEST(Profile, CorruptFileReadsAbsentAndTheNextWriteRepairsIt) {
    TempTree t;
    const QString path = t.path() + QStringLiteral("/corrupt.ini");
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i)
        bytes += char((i * 131 + 7) & 0xFF); // binary garbage, NULs and line breaks included
    bytes += "\n[Good]\nkeep=1\nno equals sign here\nnul=a";
    bytes += '\0';
    bytes += "b\nafter=2\r\n";
    bytes += "huge=" + QByteArray(10 * 1024 * 1024, 'h') + "\n";
    bytes += QByteArray(10 * 1024 * 1024, 'q') + "\n";
    bytes += "[Broken\nhidden=3\n[Good]\nsecond=4\n";
    spit(path, bytes);

    Profile p(path);
    const auto good = QStringLiteral("Good");
    EXPECT_EQ(p.readInteger(good, QStringLiteral("keep"), -1), 1);
    EXPECT_EQ(p.readInteger(good, QStringLiteral("after"), -1), 2);
    EXPECT_EQ(p.readString(good, QStringLiteral("nul"), QStringLiteral("-")), QStringLiteral("-"));
    EXPECT_EQ(p.readString(good, QStringLiteral("huge"), {}), QString(1023, u'h'));
    EXPECT_EQ(p.readInteger(QStringLiteral("Broken"), QStringLiteral("hidden"), -1), -1);
    EXPECT_EQ(p.readInteger(good, QStringLiteral("hidden"), -1), -1);
    // Only the first section of a name is read.
    EXPECT_EQ(p.readInteger(good, QStringLiteral("second"), -1), -1);

    p.writeInteger(good, QStringLiteral("added"), 5);
    const QByteArray repaired = slurp(path);
    EXPECT_TRUE(wellFormed(repaired));
    EXPECT_FALSE(repaired.contains('\0'));
    EXPECT_FALSE(repaired.contains("hidden"));
    EXPECT_FALSE(repaired.contains("no equals"));
    EXPECT_EQ(p.readInteger(good, QStringLiteral("keep"), -1), 1);
    EXPECT_EQ(p.readInteger(good, QStringLiteral("after"), -1), 2);
    EXPECT_EQ(p.readInteger(good, QStringLiteral("added"), -1), 5);
    EXPECT_EQ(p.readString(good, QStringLiteral("huge"), {}), QString(1023, u'h'));
}

TEST(Profile, RefusedWritesThrowWithTheFileName) {
    TempTree t;
    // The settings folder cannot be made: its place is taken by a regular file.
    t.file("blocked");
    const QString blocked = t.path() + QStringLiteral("/blocked/z.ini");
    Profile p(blocked);
    try {
        p.writeInteger(QStringLiteral("S"), QStringLiteral("k"), 1);
        FAIL() << "no error";
    } catch (const ProfileWriteError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Unable to write to ") + blocked);
        EXPECT_EQ(QString::fromStdString(e.what()), e.message());
    }

    // Text that would break the file's lines is refused and the file stays as it was.
    const QString path = t.path() + QStringLiteral("/safe.ini");
    Profile q(path);
    q.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
    const QByteArray before = slurp(path);
    EXPECT_THROW(q.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("a\nb")),
                 ProfileWriteError);
    EXPECT_THROW(q.writeString(QStringLiteral("S\n[T]"), QStringLiteral("k"), {}),
                 ProfileWriteError);
    EXPECT_THROW(q.writeString(QStringLiteral("S"), QStringLiteral("a=b"), {}), ProfileWriteError);
    EXPECT_THROW(q.writeString(QStringLiteral("S"), QStringLiteral(" "), {}), ProfileWriteError);
    EXPECT_EQ(slurp(path), before);

    // A folder in the file's place reads as no keys and is not replaced.
    t.dir("folder.ini/inside");
    Profile f(t.path() + QStringLiteral("/folder.ini"));
    EXPECT_EQ(f.readInteger(QStringLiteral("S"), QStringLiteral("k"), -1), -1);
    EXPECT_THROW(f.writeInteger(QStringLiteral("S"), QStringLiteral("k"), 1), ProfileWriteError);
    EXPECT_TRUE(t.exists("folder.ini/inside"));
}

TEST(Profile, WriteIntoAFolderWithoutWritePermissionIsRefused) {
    TempTree t;
    ASSERT_EQ(::chmod(t.nativePath().constData(), 0755), 0);
    t.dir("ro");
    t.file("ro/z.ini");
    const QString path = t.path() + QStringLiteral("/ro/z.ini");
    spit(path, "[S]\nk=7\n");
    ASSERT_EQ(::chmod(t.abs("ro").constData(), 0755), 0);
    ASSERT_EQ(::chmod(t.abs("ro/z.ini").constData(), 0644), 0);
    if (geteuid() != 0) {
        ASSERT_EQ(::chmod(t.abs("ro").constData(), 0555), 0);
    }

    const int code = runAsNobody([&] {
        Profile p(path);
        if (p.readInteger(QStringLiteral("S"), QStringLiteral("k"), -1) != 7)
            return 3; // reading must still work
        try {
            p.writeInteger(QStringLiteral("S"), QStringLiteral("k"), 8);
        } catch (const ProfileWriteError& e) {
            return e.message() == QStringLiteral("Unable to write to ") + path ? 0 : 4;
        }
        return 5;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(slurp(path), QByteArray("[S]\nk=7\n"));
}

TEST(Profile, AFileThatCannotBeReadIsNotReplaced) {
    TempTree t;
    ASSERT_EQ(::chmod(t.nativePath().constData(), 0755), 0);
    t.dir("own");
    const QString path = t.path() + QStringLiteral("/own/z.ini");
    spit(path, "[S]\nk=7\nother=1\n");
    // Folder and file belong to the unprivileged user; the file is writable, not readable.
    if (geteuid() == 0) {
        ASSERT_EQ(::chown(t.abs("own").constData(), 65534, 65534), 0);
        ASSERT_EQ(::chown(t.abs("own/z.ini").constData(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(t.abs("own/z.ini").constData(), 0200), 0);

    const int code = runAsNobody([&] {
        Profile p(path);
        if (p.readInteger(QStringLiteral("S"), QStringLiteral("k"), -1) != -1)
            return 3;
        try {
            p.writeInteger(QStringLiteral("S"), QStringLiteral("k"), 8);
        } catch (const ProfileWriteError&) {
            return 0;
        }
        return 5;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(slurp(path), QByteArray("[S]\nk=7\nother=1\n"));
}

TEST(Profile, StaleLockLeftByACrashIsTakenOver) {
    TempTree t;
    const QString path = t.path() + QStringLiteral("/locked.ini");
    const QByteArray lockPath = QFile::encodeName(path + QStringLiteral(".lock"));
    spit(QFile::decodeName(lockPath), "garbage that names no process\n");
    const struct timeval old[2] = {{time(nullptr) - 60, 0}, {time(nullptr) - 60, 0}};
    ASSERT_EQ(::utimes(lockPath.constData(), old), 0);

    Profile p(path);
    p.writeInteger(QStringLiteral("S"), QStringLiteral("k"), 1);
    EXPECT_EQ(p.readInteger(QStringLiteral("S"), QStringLiteral("k"), -1), 1);
}

TEST(Profile, ByteOrderMarkAndEveryLineEndStyleAreReadAndKept) {
    struct Case {
        const char* name;
        QByteArray before, after; // after writing S/new=2
    };
    const QByteArray bom = "\xEF\xBB\xBF";
    const Case cases[] = {
        {"mark", bom + "[S]\nk=1\n", bom + "[S]\nk=1\nnew=2\n"},
        {"cr", "[S]\rk=1\r[T]\rx=3\r", "[S]\rk=1\rnew=2\r[T]\rx=3\r"},
        {"crlf", "[S]\r\nk=1\r\n", "[S]\r\nk=1\r\nnew=2\r\n"},
        {"mark, crlf, no last line end", bom + "[S]\r\nk=1", bom + "[S]\r\nk=1\r\nnew=2\r\n"},
        // Two files joined end to end: the second one's marks are nothing, [S] stays [S].
        {"joined", "[A]\na=1\n" + bom + "[S]\nk=1\n", "[A]\na=1\n[S]\nk=1\nnew=2\n"},
        {"joined, crlf", bom + "[A]\r\n" + bom + bom + "[S]\r\n" + bom + "k=1\r\n",
         bom + "[A]\r\n[S]\r\nk=1\r\nnew=2\r\n"},
    };
    TempTree t;
    const QString path = t.path() + QStringLiteral("/ends.ini");
    for (const Case& c : cases) {
        spit(path, c.before);
        Profile p(path);
        EXPECT_EQ(p.readInteger(QStringLiteral("S"), QStringLiteral("k"), -1), 1) << c.name;
        p.writeInteger(QStringLiteral("S"), QStringLiteral("new"), 2);
        EXPECT_EQ(slurp(path), c.after) << c.name;
    }
}

TEST(Profile, AConfigFolderWhoseNameIsNotUtf8IsUsedAsItIs) {
    TempTree t;
    t.dir("caf\xe9");
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    ::setenv("XDG_CONFIG_HOME", t.abs("caf\xe9").constData(), 1);
    Profile p(QStringLiteral("z.ini"));
    p.writeInteger(QStringLiteral("S"), QStringLiteral("k"), 1);
    ::setenv("XDG_CONFIG_HOME", saved.constData(), 1);
    EXPECT_TRUE(t.exists("caf\xe9/zelkova/z.ini"));
    EXPECT_EQ(p.readInteger(QStringLiteral("S"), QStringLiteral("k"), -1), 1);
}

TEST(Profile, ALinkedSettingsFileStaysALink) {
    TempTree t;
    t.dir("real");
    spit(t.path() + QStringLiteral("/real/z.ini"), "[S]\nk=1\n");
    ASSERT_EQ(::chmod(t.abs("real/z.ini").constData(), 0640), 0);
    t.symlink("z.ini", "real/z.ini");
    t.symlink("dangling.ini", "real/new.ini");

    Profile(t.path() + QStringLiteral("/z.ini"))
        .writeInteger(QStringLiteral("S"), QStringLiteral("k"), 2);
    Profile(t.path() + QStringLiteral("/dangling.ini"))
        .writeInteger(QStringLiteral("S"), QStringLiteral("k"), 3);
    struct stat st;
    for (const char* link : {"z.ini", "dangling.ini"}) {
        ASSERT_EQ(::lstat(t.abs(link).constData(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << link;
    }
    EXPECT_EQ(slurp(t.path() + QStringLiteral("/real/z.ini")), QByteArray("[S]\nk=2\n"));
    EXPECT_EQ(slurp(t.path() + QStringLiteral("/real/new.ini")), QByteArray("[S]\nk=3\n"));
    ASSERT_EQ(::stat(t.abs("real/z.ini").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(Profile, AnUpdateSeesItsOwnWritesAndWritesNothingWhenItFails) {
    TempTree t;
    const QString path = t.path() + QStringLiteral("/batch.ini");
    spit(path, "[TempFiles]\nNumber=1\nFile1=*.tmp\n");
    Profile p(path);
    const auto section = QStringLiteral("TempFiles");
    p.update([&](ProfileUpdate& ini) {
        ini.writeInteger(section, QStringLiteral("Number"), 2);
        ini.writeString(section, QStringLiteral("File2"), QStringLiteral("*.bak"));
        EXPECT_EQ(ini.readInteger(section, QStringLiteral("Number"), -1), 2);
        EXPECT_EQ(p.readInteger(section, QStringLiteral("Number"), -1), 1); // not yet written
    });
    const QByteArray written = "[TempFiles]\nNumber=2\nFile1=*.tmp\nFile2=*.bak\n";
    EXPECT_EQ(slurp(path), written);

    EXPECT_THROW(p.update([&](ProfileUpdate& ini) {
        ini.writeInteger(section, QStringLiteral("Number"), 0);
        ini.writeString(section, QStringLiteral("File1"), QStringLiteral("two\nlines"));
    }),
                 ProfileWriteError);
    EXPECT_EQ(slurp(path), written);
}

TEST(Profile, AWriterKilledInsideAnUpdateLeavesTheFileAndNoLockBehind) {
    TempTree t;
    const QString path = t.path() + QStringLiteral("/killed.ini");
    spit(path, "[S]\nk=1\n");
    const pid_t child = fork();
    if (child == 0) {
        Profile(path).update([](ProfileUpdate& ini) {
            ini.writeInteger(QStringLiteral("S"), QStringLiteral("k"), 2);
            ::raise(SIGKILL);
        });
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(slurp(path), QByteArray("[S]\nk=1\n"));

    // New files that writers killed mid-write left beside the file: the next write removes
    // those of processes that no longer run, and nothing else.
    const QByteArray dead = QByteArray::number(child);
    const QByteArray live = QByteArray::number(getppid());
    const QByteArray gone = ".killed.ini." + dead + ".new";
    const QByteArray kept[] = {".killed.ini." + live + ".new",  ".killed.ini." + dead + ".new.1",
                               ".other.ini." + dead + ".new",   "killed.ini." + dead + ".new",
                               ".killed.ini.x" + dead + ".new", ".killed.ini..new"};
    t.file(gone, 5);
    for (const QByteArray& name : kept)
        t.file(name, 5);
    Profile(path).writeInteger(QStringLiteral("S"), QStringLiteral("j"), 3);
    EXPECT_EQ(slurp(path), QByteArray("[S]\nk=1\nj=3\n"));
    EXPECT_FALSE(t.exists(gone));
    for (const QByteArray& name : kept)
        EXPECT_TRUE(t.exists(name)) << name.constData();
}
