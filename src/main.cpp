// Start-up: the application (titled "Zelkova '95"), the main window, the message loop.
// Closing the main window ends the program.
#include "app/main_window.h"
#include "app/tool_windows.h"
#include "common/application.h"
#include "common/resources_init.h"
#include "inspect/find_dialog.h"
#include "platform/dir_walk.h"

int main(int argc, char** argv) {
    // Deep folder trees and many open windows need more descriptors than the usual default.
    raiseDescriptorLimit();
    ZelkovaApplication app(argc, argv);
    initResources();

    TfrmMain mainWindow;
    frmMain = &mainWindow;
    plugInToolWindows(mainWindow);
    // The viewer's find dialog lives as long as the program, so its text and options carry
    // over from one viewer to the next.
    TFindDlg FindDlg;
    setFindDialog(&FindDlg);
    QObject::connect(&mainWindow, &TfrmMain::closed, &app, &QApplication::quit);
    mainWindow.show();
    const int result = ZelkovaApplication::exec();
    setFindDialog(nullptr);
    frmMain = nullptr;
    return result;
}
