#include "finders/row_actions.h"

#include "common/message_boxes.h"
#include "common/ui.h"
#include "delete/really_delete.h"
#include "platform/dir_entry.h"
#include "platform/launcher.h"
#include "widgets/result_list.h"
#include "widgets/string_grid.h"

#include <QDialog>

QString RowActions::currentFile() const {
    const QString path = marks_.pathOf(marks_.grid().currentRow());
    if (path.isEmpty())
        return QString();
    const std::optional<DirEntry> entry = statPath(path);
    if (!entry || (entry->attributes & faDirectory))
        return QString();
    return path;
}

void RowActions::Run1Click() {
    const QString path = currentFile();
    if (path.isEmpty())
        return;
    if (!openWithDefaultApp(path))
        errorBox(QStringLiteral("Couldn't run ") + path);
}

void RowActions::btDeleteClick() {
    int result = QDialog::Accepted;
    if (marks_.markedCount() >= 1) {
        TfrmReallyDelete dlg(&window_);
        dlg.setFiles(marks_.lbDeleted);
        dlg.savings = marks_.markedTotal();
        result = ui().showModal(dlg);
    }
    if (result != QDialog::Accepted)
        return;
    window_.accept();
}
