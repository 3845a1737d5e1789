// The main of every test program: a private home for settings and trash, then a
// QApplication on the offscreen platform, then the tests.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>
#include <cstdlib>
#include <gtest/gtest.h>

#include "platform/dir_walk.h"
#include "support/temp_tree.h"

namespace {

// Ends the threads Qt keeps in its pool after each test (its painter fills large images on
// them). Tests fork children, and under ThreadSanitizer a child of a process with threads
// cannot start its own.
class EndPooledThreads : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override {
        QThreadPool::globalInstance()->waitForDone();
    }
};

} // namespace

int main(int argc, char** argv) {
    // GLib reads XDG_DATA_HOME once per process, so the private folders are set before
    // anything else runs. No test touches the real home folder or the real trash.
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/zelkova-test-XXXXXX"));
    if (!home.isValid())
        return 2;
    const QByteArray config = (home.path() + QStringLiteral("/config")).toUtf8();
    const QByteArray data = (home.path() + QStringLiteral("/data")).toUtf8();
    QDir().mkpath(QString::fromUtf8(config));
    QDir().mkpath(QString::fromUtf8(data));
    setenv("XDG_CONFIG_HOME", config.constData(), 1);
    setenv("XDG_DATA_HOME", data.constData(), 1);
    setenv("HOME", home.path().toUtf8().constData(), 1);
    if (!getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    raiseDescriptorLimit(); // as the program does at start
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelkova '95"));
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new EndPooledThreads);
    const int result = RUN_ALL_TESTS();
    removeTree(QFile::encodeName(home.path()));
    return result;
}
