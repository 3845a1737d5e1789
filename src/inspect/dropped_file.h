#pragma once

#include <QByteArray>
#include <QString>

// The path of the first local file in a text/uri-list drop, or "" when the drop names none.
// Lines starting with "#" are comments; only file:// URLs whose host is empty or "localhost"
// count, others are passed over. The percent-escapes are decoded to the exact bytes of the
// path, so a name that is not UTF-8, or holds a line break, names the file it came from, and
// the path is never cut short.
QString droppedFilePath(const QByteArray& uriList);
