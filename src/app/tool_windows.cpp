#include "app/tool_windows.h"

#include "app/main_window.h"
#include "clean/clean_window.h"
#include "common/ui.h"
#include "finders/dirhog_window.h"
#include "finders/dup_window.h"
#include "finders/file_openers.h"
#include "finders/mods_window.h"
#include "inspect/browse_window.h"
#include "inspect/details_window.h"
#include "inspect/view_window.h"
#include "stats/statistics_window.h"

#include <memory>

namespace {
// Makes a finder window with `args`, hands it `openers`, shows it modally and destroys it
// when the modal loop returns.
template <class Window, class... Args>
void plugInFinder(TfrmMain& main, ToolButton which, const FileOpeners& openers, Args... args) {
    main.setToolOpener(which, [&main, openers, args...] {
        const auto window = std::make_unique<Window>(args..., &main);
        window->setFileOpeners(openers);
        ui().showModal(*window);
    });
}
} // namespace

void plugInToolWindows(TfrmMain& main) {
    // The finders' rows reach the inspection windows, which sit beside them, through these.
    const FileOpeners openers{
        [](const QString& path, QWidget* parent) { viewFile(path, parent); },
        [](const QString& path, QWidget* parent) { showDetails(path, parent); },
        [](QWidget* parent, const QString& folder, const QString& name, const QString& mask) {
            browseFolder(parent, folder, name, mask);
        },
    };

    // One window class serves both duplicates and file hogs.
    plugInFinder<TfrmDup>(main, ToolButton::Duplicate, openers, true);
    plugInFinder<TfrmDup>(main, ToolButton::FileHog, openers, false);
    plugInFinder<TfrmMods>(main, ToolButton::Files, openers);
    plugInFinder<TfrmDirHog>(main, ToolButton::DirHogs, openers);
    plugInFinder<TfrmClean>(main, ToolButton::Clean, openers);
    main.setToolOpener(ToolButton::Browse, [&main] { browseFolder(&main); });

    // The statistics window is made once and lives as long as the main window; it is
    // modeless, so its figures stay on show between openings.
    auto* statistics = new TfrmStatistics(&main);
    main.setToolOpener(ToolButton::Statistic, [statistics] {
        statistics->show();
        statistics->raise();
        statistics->activateWindow();
    });
    // A collection walks in the background on its own engine, so the other tools stay open
    // to use beside it. Ending the program stops the collection at once and puts the window
    // away without a close event, which a running collection would hold back and with it the
    // program's quit; the window waits for its walk to let go when the main window destroys it.
    QObject::connect(&main, &TfrmMain::closed, statistics, [statistics] {
        statistics->abortCollection();
        statistics->hide();
    });
}
