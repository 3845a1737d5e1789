#include "inspect/dropped_file.h"

#include "platform/native_path.h"

#include <QList>
#include <optional>

namespace {
// The byte path of a file:// URL, or nothing for another scheme or a remote host.
std::optional<QByteArray> localPath(const QByteArray& url) {
    static const QByteArray scheme("file://");
    if (url.left(scheme.size()).toLower() != scheme)
        return std::nullopt;
    QByteArray rest = url.mid(scheme.size());
    const qsizetype slash = rest.indexOf('/');
    if (slash < 0)
        return std::nullopt;
    const QByteArray host = rest.left(slash).toLower();
    if (!host.isEmpty() && host != "localhost")
        return std::nullopt;
    rest.remove(0, slash);
    // A query or a fragment is not part of the path; those characters in a name come escaped.
    for (qsizetype i = 0; i < rest.size(); ++i) {
        if (rest[i] == '?' || rest[i] == '#') {
            rest.truncate(i);
            break;
        }
    }
    return QByteArray::fromPercentEncoding(rest);
}
} // namespace

QString droppedFilePath(const QByteArray& uriList) {
    for (QByteArray line : uriList.split('\n')) {
        line = line.trimmed(); // the list's lines end in CR LF
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (const auto path = localPath(line))
            return fromNative(*path);
    }
    return QString();
}
