// Interim opener until the browser window lands.
#include "inspect/browse_window.h"

#include "common/ui.h"

#include <QDialog>

void browseFolder(QWidget* parent, const QString& folder, const QString&, const QString&) {
    QDialog window(parent);
    window.setObjectName(QStringLiteral("frmBrowse"));
    window.setWindowTitle(folder);
    ui().showModal(window);
}
