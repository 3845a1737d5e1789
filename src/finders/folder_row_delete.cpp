#include "finders/folder_row_delete.h"

#include "common/application.h"
#include "common/number_text.h"
#include "delete/folder_delete.h"
#include "model/deletion_totals.h"
#include "platform/drives.h"
#include "platform/link_free_path.h"
#include "platform/native_path.h"

QString folderRowSizeCell(FolderRowState state, const QString& sizeText) {
    switch (state) {
    case FolderRowState::Listed:
        return sizeText;
    case FolderRowState::Deleted:
        return QStringLiteral("DELETED");
    case FolderRowState::Recycled:
        return QStringLiteral("RECYCLED");
    case FolderRowState::PartlyDeleted:
        return QStringLiteral("PARTLY DELETED");
    case FolderRowState::PartlyRecycled:
        return QStringLiteral("PARTLY RECYCLED");
    }
    return sizeText;
}

QString folderDeleteRefusal(const QString& path) {
    if (path == u"/" || isMountPoint(path))
        return QStringLiteral("You cannot delete the root folder using Zelkova 95");
    if (isProtectedFolder(path))
        return QStringLiteral("You cannot delete the folder %1 using Zelkova 95: the system or "
                              "your home folder needs it.")
            .arg(escapeForLine(path));
    return QString();
}

FolderRowDeletion deleteListedFolder(const QString& path, bool recycle) {
    FolderRowDeletion d;
    if (removeEmptyFolder(path)) {
        d.state = FolderRowState::Deleted;
        d.emptyRemoved = true;
        return d;
    }
    const FolderDeletion run = deleteFolderTree(path, recycle);
    d.files = run.files;
    d.bytes = run.bytes;
    d.stopped = run.stopped;
    if (run.refused)
        return d;
    if (!statPathLinkFree(path))
        d.state = recycle ? FolderRowState::Recycled : FolderRowState::Deleted;
    else if (d.files > 0)
        d.state = recycle ? FolderRowState::PartlyRecycled : FolderRowState::PartlyDeleted;
    if (d.files > 0) {
        try {
            addToDeletionTotals(recycle ? 0 : d.files, recycle ? 0 : d.bytes, recycle ? d.files : 0,
                                recycle ? d.bytes : 0);
        } catch (const std::exception& e) {
            // The files are gone whatever the settings file says.
            d.totalsError = errorText(e);
        }
    }
    return d;
}

QString folderDeletionReport(const FolderRowDeletion& d, bool recycle) {
    if (d.files <= 0)
        return QString();
    QString note;
    if (d.stopped)
        note = QStringLiteral(" (Note: Deletion operation canceled ... not all files deleted)");
    else if (!folderRowDeletable(d.state))
        note = QString();
    else
        note = QStringLiteral(" (Note: not all files could be removed; the folder is still there "
                              "and can be deleted again)");
    return (recycle ? QStringLiteral("Recycled ") : QStringLiteral("Deleted ")) +
           formatThousands(d.files) + QStringLiteral(" files for a savings of ") +
           formatThousands(d.bytes) + QStringLiteral(" bytes.") + note;
}
