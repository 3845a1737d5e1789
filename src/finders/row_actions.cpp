#include "finders/row_actions.h"

#include "common/message_boxes.h"
#include "common/ui.h"
#include "delete/really_delete.h"
#include "platform/launcher.h"
#include "widgets/result_list.h"
#include "widgets/string_grid.h"

#include <QDialog>

std::optional<DirEntry> RowActions::currentEntry(QString& path) const {
    path = marks_.pathOf(marks_.grid().currentRow());
    if (path.isEmpty())
        return std::nullopt;
    return statPath(path);
}

QString RowActions::currentFile() const {
    QString path;
    const std::optional<DirEntry> entry = currentEntry(path);
    return entry && !(entry->attributes & faDirectory) ? path : QString();
}

QString RowActions::currentRegularFile() const {
    QString path;
    const std::optional<DirEntry> entry = currentEntry(path);
    // Neither a folder nor a "system" entry (link, FIFO, socket, device): a regular file.
    return entry && !(entry->attributes & (faDirectory | faSysFile)) ? path : QString();
}

void RowActions::Run1Click() {
    const QString path = currentFile();
    if (path.isEmpty())
        return;
    if (!openWithDefaultApp(path))
        errorBox(QStringLiteral("Couldn't run ") + path);
}

void RowActions::btDeleteClick(const QStringList& lastCopies, const FileCheck& check) {
    int result = QDialog::Accepted;
    if (marks_.markedCount() >= 1) {
        TfrmReallyDelete dlg(&window_);
        dlg.setMarks(marks_.marked());
        dlg.setLastCopies(lastCopies);
        dlg.setCheck(check);
        result = ui().showModal(dlg);
    }
    if (result != QDialog::Accepted)
        return;
    window_.accept();
}

void RowActions::View1Click() {
    const QString path = currentRegularFile();
    if (!path.isEmpty() && openers_.view)
        openers_.view(path, &window_);
}

void RowActions::Details1Click() {
    const QString path = currentRegularFile();
    if (!path.isEmpty() && openers_.details)
        openers_.details(path, &window_);
}

void RowActions::BrowseDirectory1Click(const QString& mask) {
    // The exact path splits at its last "/" into the exact folder and the exact name (a name
    // holds no "/"); a file that went since the scan still opens the browser at its folder.
    const QString path = marks_.pathOf(marks_.grid().currentRow());
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0 || !openers_.browse)
        return;
    const QString folder = slash == 0 ? QStringLiteral("/") : path.left(slash);
    openers_.browse(&window_, folder, path.mid(slash + 1), mask);
}
