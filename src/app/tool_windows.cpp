#include "app/tool_windows.h"

#include "app/main_window.h"
#include "clean/clean_window.h"
#include "finders/dirhog_window.h"
#include "finders/dup_window.h"
#include "finders/file_openers.h"
#include "finders/mods_window.h"
#include "inspect/browse_window.h"
#include "inspect/details_window.h"
#include "inspect/view_window.h"
#include "stats/statistics_window.h"

void plugInToolWindows(TfrmMain& main) {
    // The finders' rows reach the inspection windows, which sit beside them, through these.
    setFileOpeners(FileOpeners{
        [](const QString& path, QWidget* parent) { viewFile(path, parent); },
        [](const QString& path, QWidget* parent) { showDetails(path, parent); },
        [](QWidget* parent, const QString& folder, const QString& name, const QString& mask) {
            browseFolder(parent, folder, name, mask);
        },
    });

    // One window class serves both: the button sets duplicatesMode before it is made.
    main.setModalTool<TfrmDup>(ToolButton::Duplicate);
    main.setModalTool<TfrmDup>(ToolButton::FileHog);
    main.setModalTool<TfrmMods>(ToolButton::Files);
    main.setModalTool<TfrmDirHog>(ToolButton::DirHogs);
    main.setModalTool<TfrmClean>(ToolButton::Clean);
    main.setToolOpener(ToolButton::Browse, [&main] { browseFolder(&main); });

    // The statistics window is made once and lives as long as the main window; it is
    // modeless, so its figures stay on show between openings.
    auto* statistics = new TfrmStatistics(&main);
    main.setToolOpener(ToolButton::Statistic, [statistics] {
        statistics->show();
        statistics->raise();
        statistics->activateWindow();
    });
    // A collection walks on the user-interface thread and keeps the screen live, so while it
    // runs the other tools stay closed: their walks would run inside it. Ending the program
    // stops the collection first, so nothing is torn down under the walk.
    QObject::connect(statistics, &TfrmStatistics::collectingChanged, &main,
                     [&main](bool collecting) { main.setToolsEnabled(!collecting); });
    QObject::connect(&main, &TfrmMain::closed, statistics, &TfrmStatistics::abortCollection);
}
