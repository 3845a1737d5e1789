#include "platform/trash.h"

#include "platform/native_path.h"

#include <gio/gio.h>

bool moveToTrash(const QString& path, QString* error) {
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("No file named");
        return false;
    }
    // g_file_trash renames the entry itself (a symbolic link as a link) into the trash and
    // records where it came from; when no trash can take it, it fails and touches nothing.
    GFile* file = g_file_new_for_path(toNative(path).constData());
    GError* gerror = nullptr;
    const bool ok = g_file_trash(file, nullptr, &gerror);
    if (!ok && error)
        *error = gerror ? QString::fromUtf8(gerror->message) : QStringLiteral("Unknown error");
    if (gerror)
        g_error_free(gerror);
    g_object_unref(file);
    return ok;
}
