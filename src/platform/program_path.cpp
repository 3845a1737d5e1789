#include "platform/program_path.h"

#include "platform/native_path.h"

#include <QCoreApplication>
#include <climits>
#include <unistd.h>

QString programFilePath() {
    // The kernel's own record of the running file keeps its name's bytes exactly, which
    // matters when the program sits in a folder whose name is not UTF-8.
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n > 0 && n < ssize_t(sizeof buffer))
        return fromNative(buffer, n);
    return QCoreApplication::applicationFilePath();
}

QString programFolder() {
    const QString path = programFilePath();
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString currentFolder() {
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer))
        return QString();
    return fromNative(QByteArray(buffer));
}
