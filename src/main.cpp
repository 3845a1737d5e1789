// Start-up: the command line, the application (titled "Zelkova '95"), the main window, the
// message loop. Closing the main window ends the program.
#include "app/command_line.h"
#include "app/main_window.h"
#include "app/self_check.h"
#include "app/tool_windows.h"
#include "common/application.h"
#include "common/resources_init.h"
#include "inspect/find_dialog.h"
#include "inspect/view_window.h"
#include "platform/dir_walk.h"
#include "platform/native_path.h"
#include "platform/program_path.h"

#include <QIcon>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    // Read before the application object exists: --help, --version and a mistake need no
    // display.
    const CommandLine line = parseCommandLine(nativeArguments(argc, argv), currentFolder());
    if (line.action != CommandLine::Action::Run) {
        const bool error = line.action == CommandLine::Action::Error;
        const QByteArray text = toNative(line.text);
        std::fwrite(text.constData(), 1, size_t(text.size()), error ? stderr : stdout);
        return error ? kUsageError : 0;
    }

    // Deep folder trees and many open windows need more descriptors than the usual default.
    raiseDescriptorLimit();
    ZelkovaApplication app(argc, argv);
    initResources();
    // The desktop ties the windows to the menu entry and its icon through this name.
    QGuiApplication::setDesktopFileName(desktopId());
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/zelkova-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

    TfrmMain mainWindow;
    plugInToolWindows(mainWindow);
    // The viewer's find dialog lives as long as the program, so its text and options carry
    // over from one viewer to the next.
    TFindDlg FindDlg;
    setFindDialog(&FindDlg);
    QObject::connect(&mainWindow, &TfrmMain::closed, &app, &QApplication::quit);
    mainWindow.show();
    // A file named on the command line opens in the viewer over the main window once the
    // message loop runs; the viewer refuses what it cannot show, as it does for a drop.
    if (!line.fileName.isEmpty())
        QTimer::singleShot(0, &mainWindow, [&] { viewFile(line.fileName, &mainWindow); });
    if (selfCheckAsked())
        startSelfCheck(mainWindow, !line.fileName.isEmpty());
    const int result = ZelkovaApplication::exec();
    setFindDialog(nullptr);
    return result;
}
