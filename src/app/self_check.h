#pragma once

class TfrmMain;

// A start-up check for an installed or unpacked copy, asked for by a non-empty environment
// variable ZELKOVA_SELF_CHECK: once the main window is shown (and, when `waitForModal`, once
// the window a file argument opened, or the box telling why it could not, is up) the check
// writes the shown windows and the help document it found to standard output, one per line,
// and ends the run: status 0 when the main window is visible and the help document was read,
// 1 otherwise. It reads, it changes nothing.
bool selfCheckAsked();
void startSelfCheck(const TfrmMain& main, bool waitForModal);
