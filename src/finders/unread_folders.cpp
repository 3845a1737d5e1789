#include "finders/unread_folders.h"

#include "common/number_text.h"
#include "platform/error_text.h"
#include "platform/native_path.h"

#include <QStringList>

QString unreadNote(qsizetype count) {
    if (count <= 0)
        return {};
    return QStringLiteral(" (%1 %2 could not be read)")
        .arg(formatThousands(count),
             count == 1 ? QStringLiteral("folder") : QStringLiteral("folders"));
}

QString unreadListText(const std::vector<ScanEngine::UnreadFolder>& folders, int shown) {
    QStringList lines;
    const qsizetype total = qsizetype(folders.size());
    for (qsizetype i = 0; i < total && i < shown; ++i)
        lines << fromNative(folders[size_t(i)].path) + QStringLiteral(": ") +
                     systemErrorText(folders[size_t(i)].error);
    if (total > shown)
        lines << QStringLiteral("... and %1 more").arg(formatThousands(total - shown));
    return lines.join(u'\n');
}
