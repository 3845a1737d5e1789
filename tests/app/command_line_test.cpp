#include "app/command_line.h"
#include "support/temp_tree.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace {
using Action = CommandLine::Action;

struct ParseCase {
    QStringList arguments;
    Action action;
    const char* fileName; // Run: the file to view
    const char* inText;   // a part of the text to print
};

struct RunCase {
    QList<QByteArray> arguments;
    bool display; // the offscreen platform and the self-check; else no display at all
    int status;
    QByteArray inOut; // a part of standard output ("" when it must be empty)
    QByteArray inErr; // a part of standard error ("" when it must be empty)
};

struct Finished {
    int status = -1;
    QByteArray out, err;
};

// Runs the built program with `arguments` (bytes, as a shell passes them).
Finished runProgram(const QList<QByteArray>& arguments, bool display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    // Without a display, an attempt to open a window fails at once on the X11 platform.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"),
               display ? QStringLiteral("offscreen") : QStringLiteral("xcb"));
    if (display)
        env.insert(QStringLiteral("ZELKOVA_SELF_CHECK"), QStringLiteral("1"));
    QList<QByteArray> argBytes{QByteArray(ZELKOVA_PROGRAM)}, envBytes;
    argBytes += arguments;
    for (const QString& key : env.keys())
        envBytes << (key + u'=' + env.value(key)).toUtf8();
    std::vector<char*> argv, envp;
    for (QByteArray& a : argBytes)
        argv.push_back(a.data());
    for (QByteArray& e : envBytes)
        envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    QProcess p;
    p.setProgram(QStringLiteral(ZELKOVA_PROGRAM));
    // QProcess hands arguments over as text; the child starts the program with their bytes.
    p.setChildProcessModifier([&] {
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    });
    p.start();
    Finished f;
    if (!p.waitForFinished(120000))
        return f;
    f.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    f.out = p.readAllStandardOutput();
    f.err = p.readAllStandardError();
    return f;
}
} // namespace

TEST(CommandLine, ReadsOptionsAndOneFile) {
    const ParseCase cases[] = {
        {{"zelkova"}, Action::Run, "", ""},
        {{"zelkova", "--help"}, Action::Help, "", "Usage: zelkova [options] [file]"},
        {{"zelkova", "-h", "file"}, Action::Help, "", "--version"},
        {{"zelkova", "-v"}, Action::Version, "", "2.5"},
        {{"zelkova", "--frobnicate"}, Action::Error, "", "'frobnicate'"},
        {{"zelkova", "a", "b"}, Action::Error, "", "one file"},
        {{"zelkova", ""}, Action::Error, "", "empty"},
        {{"zelkova", "docs/a.txt"}, Action::Run, "/home/u/docs/a.txt", ""},
        {{"zelkova", "/tmp/b"}, Action::Run, "/tmp/b", ""},
        {{"zelkova", "--", "-v"}, Action::Run, "/home/u/-v", ""},
    };
    for (const ParseCase& c : cases) {
        const CommandLine line = parseCommandLine(c.arguments, QStringLiteral("/home/u"));
        const QString args = c.arguments.join(u' ');
        EXPECT_EQ(line.action, c.action) << args.toStdString();
        EXPECT_EQ(line.fileName, QString::fromUtf8(c.fileName)) << args.toStdString();
        EXPECT_TRUE(line.text.contains(QString::fromUtf8(c.inText))) << args.toStdString();
    }
}

TEST(CommandLine, TheProgramAnswersWithoutADisplayAndOpensAFileInTheViewer) {
    TempTree tree;
    // A name that is not UTF-8 reaches the viewer byte for byte.
    const QByteArray file = tree.write("caf\xe9 notes.txt", "hello\n");
    const QByteArray folder = tree.dir("folder");
    const RunCase cases[] = {
        {{"--help"}, false, 0, "Usage: zelkova [options] [file]", ""},
        {{"--version"}, false, 0, "Zelkova '95 2.5\n", ""},
        {{"--frobnicate"}, false, kUsageError, "", "Unknown option 'frobnicate'"},
        {{"one", "two"}, false, kUsageError, "", "one file at a time"},
        {{}, true, 0, "window: frmMain: Zelkova '95 Version 2.5", ""},
        {{file}, true, 0, "window: frmView: View File : " + file + '\n', ""},
        // The viewer refuses a folder, as it does a dropped one, and says so.
        {{folder}, true, 0, "message: ", ""},
    };
    for (const RunCase& c : cases) {
        const Finished f = runProgram(c.arguments, c.display);
        const std::string args =
            c.arguments.isEmpty() ? "(none)" : c.arguments.join(' ').toStdString();
        EXPECT_EQ(f.status, c.status) << args << "\n" << f.err.toStdString();
        if (c.inOut.isEmpty()) {
            EXPECT_TRUE(f.out.isEmpty()) << args << ": " << f.out.toStdString();
        }
        EXPECT_TRUE(f.out.contains(c.inOut)) << args << ": " << f.out.toStdString();
        if (c.inErr.isEmpty() && !c.display) { // the offscreen platform may warn
            EXPECT_TRUE(f.err.isEmpty()) << args << ": " << f.err.toStdString();
        }
        EXPECT_TRUE(f.err.contains(c.inErr)) << args << ": " << f.err.toStdString();
        // A run that shows windows finds the help document beside the program.
        if (c.display) {
            EXPECT_TRUE(f.out.contains("/zelkova.hlp: ") && f.out.contains(" topics\n"))
                << args << ": " << f.out.toStdString();
        }
    }
}
