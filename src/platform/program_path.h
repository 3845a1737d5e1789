#pragma once

#include <QString>

// The running program file's full path, as the system reports it.
QString programFilePath();
// The folder that holds the program file (no trailing "/" except at "/").
QString programFolder();
// The process's current folder, its bytes kept exactly; "" when it cannot be read (removed).
QString currentFolder();
