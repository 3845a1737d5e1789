#include "platform/launcher.h"

#include "platform/native_path.h"

#include <gio/gio.h>

namespace {
std::function<bool(const QString&)>& launcherSeam() {
    static std::function<bool(const QString&)> seam;
    return seam;
}

bool launchWithDefaultApp(const QString& path) {
    if (path.isEmpty())
        return false;
    GFile* file = g_file_new_for_path(toNative(path).constData());
    bool ok = false;
    // The type from the file's name and, where the name says nothing, its first bytes.
    GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                        G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
    const char* type = info ? g_file_info_get_content_type(info) : nullptr;
    GAppInfo* app = type ? g_app_info_get_default_for_type(type, FALSE) : nullptr;
    if (app) {
        GList files{file, nullptr, nullptr};
        ok = g_app_info_launch(app, &files, nullptr, nullptr);
        g_object_unref(app);
    }
    if (info)
        g_object_unref(info);
    g_object_unref(file);
    return ok;
}
} // namespace

bool openWithDefaultApp(const QString& path) {
    if (const auto& seam = launcherSeam())
        return seam(path);
    return launchWithDefaultApp(path);
}

void setLauncherSeam(std::function<bool(const QString&)> seam) {
    launcherSeam() = std::move(seam);
}
