#pragma once

#include <QString>

// Moves one file (or folder) to the desktop's trash so that it can be restored from there;
// both are kept on a name clash. Never deletes for good: on failure the file stays where it
// is and `error` (when given) says why.
bool moveToTrash(const QString& path, QString* error = nullptr);
