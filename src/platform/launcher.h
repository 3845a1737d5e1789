#pragma once

#include <QString>
#include <functional>

// Opens a file with the default application for its type. False when there is no such
// application or the launch fails.
bool openWithDefaultApp(const QString& path);
// Installs a replacement launcher for tests; an empty function restores the real one.
void setLauncherSeam(std::function<bool(const QString&)> seam);
