// Interim opener until the viewer window lands: a bare dialog around the control.
#include "inspect/view_window.h"

#include "common/ui.h"
#include "widgets/file_viewer.h"

#include <QDialog>
#include <QVBoxLayout>

void viewFile(const QString& fileName, QWidget* parent) {
    QDialog window(parent);
    window.setObjectName(QStringLiteral("frmView"));
    auto* viewer = new FileViewer(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(viewer);
    viewer->setFileName(fileName);
    viewer->open();
    window.setWindowTitle(QStringLiteral("View File : ") + fileName);
    ui().showModal(window);
}
