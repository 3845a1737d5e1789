#include "app/tool_windows.h"

#include "app/main_window.h"
#include "finders/dup_window.h"
#include "inspect/browse_window.h"

void plugInToolWindows(TfrmMain& main) {
    // One window class serves both: the button sets duplicatesMode before it is made.
    main.setModalTool<TfrmDup>(ToolButton::Duplicate);
    main.setModalTool<TfrmDup>(ToolButton::FileHog);
    main.setToolOpener(ToolButton::Browse, [&main] { browseFolder(&main); });
}
