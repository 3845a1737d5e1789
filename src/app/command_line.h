#pragma once

#include <QString>
#include <QStringList>

// The program's version, as --version and the package give it.
QString programVersion();
// The id that ties the windows to the desktop entry, icon and metainfo of the same name.
QString desktopId();

// What the command line asks for. It is read before the application object exists, so
// --help, --version and a mistake are answered without a display.
struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    // Help and Version: the text for standard output. Error: the message for standard error.
    QString text;
    // Run: the file to show in the viewer (absolute), or "" for none.
    QString fileName;
};

// The exit status of a run ended by a mistake on the command line.
constexpr int kUsageError = 2;

// Reads `arguments` (the program's name first, then its arguments, as lossless paths: see
// platform/native_path.h). A relative file name is taken from `currentFolder`.
CommandLine parseCommandLine(const QStringList& arguments, const QString& currentFolder);

// The arguments of main() as lossless paths, so a file name that is not UTF-8 stays exact.
QStringList nativeArguments(int argc, char** argv);
