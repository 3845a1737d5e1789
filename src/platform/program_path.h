#pragma once

#include <QString>

// The running program file's full path, as the system reports it.
QString programFilePath();
// The folder that holds the program file (no trailing "/" except at "/").
QString programFolder();
