#pragma once

#include "finders/scan_engine.h"

#include <QString>
#include <vector>

// " (3 folders could not be read)", or " (1 folder could not be read)": what a finder's status
// line ends with after a walk that could not open some folders; empty for none.
QString unreadNote(qsizetype count);

// The folders a walk could not open, one a line: the path, ": " and the system's reason
// ("Permission denied"). A long list stops after `shown` lines with how many more there are.
QString unreadListText(const std::vector<ScanEngine::UnreadFolder>& folders, int shown = 200);
