#include "support/child_process.h"

#include <QList>

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

const QString kChildSkip = QStringLiteral("<skip>");

namespace {

ChildResult runChild(const std::function<bool()>& setup, const std::function<QString()>& work) {
    int fds[2];
    if (::pipe(fds) != 0)
        return {false, QStringLiteral("pipe failed")};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const QByteArray out = setup() ? work().toUtf8() : kChildSkip.toUtf8();
        const ssize_t written = ::write(fds[1], out.constData(), size_t(out.size()));
        ::_exit(written == out.size() ? 0 : 1);
    }
    ::close(fds[1]);
    QByteArray out;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {false, QStringLiteral("child failed")};
    const QString text = QString::fromUtf8(out);
    if (text == kChildSkip)
        return {true, QString()};
    return {false, text};
}

} // namespace

ChildResult runAsNobody(const std::function<QString()>& work) {
    return runChild(
        [] {
            return ::setresgid(65534, 65534, 65534) == 0 && ::setresuid(65534, 65534, 65534) == 0;
        },
        work);
}

ChildResult runInMountNamespace(const std::function<QString()>& work) {
    return runChild(
        [] {
            return ::unshare(CLONE_NEWNS) == 0 &&
                   ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        },
        work);
}

void forgetTrashed(const QByteArray& originalPath) {
    const QByteArray inTrash = trashedAs(originalPath);
    if (inTrash.isEmpty())
        return;
    const QByteArray base = inTrash.mid(inTrash.lastIndexOf('/') + 1);
    ::unlink(inTrash.constData());
    ::unlink((trashFolder() + "/info/" + base + ".trashinfo").constData());
}

QByteArray trashFolder() {
    return qgetenv("XDG_DATA_HOME") + "/Trash";
}

QByteArray trashedAs(const QByteArray& originalPath) {
    const QByteArray info = trashFolder() + "/info";
    DIR* dir = ::opendir(info.constData());
    if (!dir)
        return {};
    QByteArray found;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (!name.endsWith(".trashinfo"))
            continue;
        // Read by bytes: the name need not be UTF-8.
        const int fd = ::open((info + '/' + name).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        QByteArray text;
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
            text.append(buffer, n);
        ::close(fd);
        for (const QByteArray& line : text.split('\n')) {
            if (line.startsWith("Path=") &&
                QByteArray::fromPercentEncoding(line.mid(5)) == originalPath) {
                found = trashFolder() + "/files/" + name.chopped(int(strlen(".trashinfo")));
                break;
            }
        }
        if (!found.isEmpty())
            break;
    }
    ::closedir(dir);
    return found;
}
