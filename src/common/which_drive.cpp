#include "common/which_drive.h"

#include "common/screen_centre.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TfrmWhichDrive::TfrmWhichDrive(QWidget* parent) : QDialog(parent) {
    const std::vector<Drive> drives = driveList();
    build(drives, currentDriveIndex(drives));
}

TfrmWhichDrive::TfrmWhichDrive(const std::vector<Drive>& drives, int current, QWidget* parent)
    : QDialog(parent) {
    build(drives, current);
}

void TfrmWhichDrive::build(const std::vector<Drive>& drives, int current) {
    setObjectName(QStringLiteral("frmWhichDrive"));
    setWindowTitle(tr("Which drive?"));
    resize(309, 139);

    Label1 = new QLabel(tr("Collect statistics for which drive?"), this);
    Label1->setObjectName(QStringLiteral("Label1"));

    cbDrive = new QComboBox(this);
    cbDrive->setObjectName(QStringLiteral("cbDrive"));
    cbDrive->setToolTip(tr("The drive selected for statistics"));
    cbDrive->setAccessibleName(Label1->text());
    Label1->setBuddy(cbDrive);
    for (const Drive& d : drives)
        cbDrive->addItem(d.root);
    if (current >= 0 && current < cbDrive->count())
        cbDrive->setCurrentIndex(current);

    btOK = new QPushButton(tr("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    // Without a drive there is nothing to collect statistics for.
    btOK->setEnabled(cbDrive->count() > 0);
    btCancel = new QPushButton(tr("Cancel"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(cbDrive);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

void TfrmWhichDrive::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        centreOnScreen(this);
}
