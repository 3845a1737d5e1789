#include "app/command_line.h"

#include "platform/native_path.h"

#include <QCommandLineParser>

QString programVersion() {
    return QStringLiteral(ZELKOVA_VERSION);
}

QString desktopId() {
    return QStringLiteral(ZELKOVA_APP_ID);
}

namespace {

const char kHelp[] = R"(Usage: zelkova [options] [file]

Zelkova '95 helps you win back disk space. From its main window it finds
duplicate files, file hogs, files by date and folder hogs, cleans temporary
files, shows disk statistics and browses folders.

Without a file, zelkova opens its main window. With a file, it opens the main
window and shows that file in the viewer, as dropping the file on the viewer
does. Only a regular file is shown, and one file at a time.

Options:
  -h, --help     Show this help and exit.
  -v, --version  Show the version and exit.

Settings are kept in $XDG_CONFIG_HOME/zelkova (~/.config/zelkova by default).
)";

CommandLine mistake(const QString& message) {
    return {CommandLine::Action::Error,
            QStringLiteral("zelkova: ") + message +
                QStringLiteral("\nTry 'zelkova --help' for more information.\n"),
            QString()};
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments, const QString& currentFolder) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    if (!parser.parse(arguments))
        return mistake(parser.errorText());
    if (parser.isSet(help))
        return {CommandLine::Action::Help, QString::fromUtf8(kHelp), QString()};
    if (parser.isSet(version))
        return {CommandLine::Action::Version,
                QStringLiteral("Zelkova '95 ") + programVersion() + u'\n', QString()};

    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return mistake(QStringLiteral("one file at a time, not %1.").arg(files.size()));
    if (files.isEmpty())
        return {};
    QString file = files.first();
    if (file.isEmpty())
        return mistake(QStringLiteral("the file name is empty."));
    if (!file.startsWith(u'/') && !currentFolder.isEmpty())
        file =
            currentFolder + (currentFolder.endsWith(u'/') ? QString() : QStringLiteral("/")) + file;
    return {CommandLine::Action::Run, QString(), file};
}

QStringList nativeArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << fromNative(QByteArray(argv[i]));
    return arguments;
}
