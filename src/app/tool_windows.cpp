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
}
