#pragma once

class TfrmMain;

// Plugs every tool window that exists into the main window's buttons; a tool whose window
// is not part of the program keeps its button disabled.
void plugInToolWindows(TfrmMain& main);
