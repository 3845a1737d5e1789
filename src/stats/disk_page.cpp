#include "stats/disk_page.h"

#include "common/number_text.h"
#include "platform/drives.h"
#include "stats/stat_collector.h"
#include "stats/stat_page_parts.h"
#include "widgets/gauge.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

using statpage::label;
using statpage::numberLabel;

DiskPage::DiskPage() {
    auto* grid = new QGridLayout(this);
    QLabel* Label24 = label(this, QStringLiteral("Label24"), QStringLiteral("&Drive:"));
    cbDrive = new QComboBox(this);
    cbDrive->setObjectName(QStringLiteral("cbDrive"));
    cbDrive->setToolTip(QStringLiteral("The drive selected for statistics"));
    cbDrive->setAccessibleName(QStringLiteral("Drive"));
    Label24->setBuddy(cbDrive);
    fillDriveList();
    lblDriveName = label(this, QStringLiteral("lblDriveName"));
    lblTotal = numberLabel(this, QStringLiteral("lblTotal"));
    lblFreeC = label(this, QStringLiteral("lblFreeC"));
    lblFree = numberLabel(this, QStringLiteral("lblFree"));
    lblPct = label(this, QStringLiteral("lblPct"));
    Label26 = label(this, QStringLiteral("Label26"));
    lblUsed = numberLabel(this, QStringLiteral("lblUsed"));
    lblPct2 = label(this, QStringLiteral("lblPct2"));
    Gauge1 = statpage::gauge(this, QStringLiteral("Gauge1"), Qt::blue);
    Gauge1->setBackColor(Qt::magenta);
    Gauge1->setMinimumHeight(24);

    grid->addWidget(Label24, 0, 0);
    grid->addWidget(cbDrive, 0, 1);
    grid->addWidget(lblDriveName, 1, 0, 1, 3);
    grid->addWidget(label(this, QStringLiteral("lblTotalC"), QStringLiteral("Total Capacity")), 2,
                    0);
    grid->addWidget(lblTotal, 2, 1);
    grid->addWidget(label(this, QStringLiteral("Label25"), QStringLiteral("bytes")), 2, 2);
    grid->addWidget(lblFreeC, 3, 0);
    grid->addWidget(lblFree, 3, 1);
    grid->addWidget(lblPct, 3, 2);
    grid->addWidget(Label26, 4, 0);
    grid->addWidget(lblUsed, 4, 1);
    grid->addWidget(lblPct2, 4, 2);
    grid->addWidget(Gauge1, 5, 0, 1, 3);
    grid->setRowStretch(6, 1);
    grid->setColumnStretch(3, 1);
    connect(cbDrive, &QComboBox::activated, this, [this] { cbDriveClick(); });
}

void DiskPage::fillDriveList() {
    const QString chosen = cbDrive->currentText();
    const std::vector<Drive> drives = driveList();
    cbDrive->clear();
    int current = std::max(0, currentDriveIndex(drives));
    for (size_t i = 0; i < drives.size(); ++i) {
        cbDrive->addItem(drives[i].root);
        if (drives[i].root == chosen)
            current = int(i);
    }
    cbDrive->setCurrentIndex(current);
}

void DiskPage::cbDriveClick() {
    lblDriveName->setText(QStringLiteral("Disk drive: ") + cbDrive->currentText());
    doDiskSize();
}

void DiskPage::doDiskSize() {
    const QString root = cbDrive->currentText();
    // A drive that cannot be read, or that has been unmounted since the list was built (its
    // folder then belongs to another file system), leaves the page as it was.
    if (root.isEmpty() || !StatCollector::driveReadyNow(root))
        return;
    const std::optional<DiskGeometry> g = diskGeometry(root);
    if (!g)
        return;
    const qint64 total = g->totalBytes();
    const qint64 free = g->freeBytes();
    const int pct = gaugePercent(free, total).value_or(0);
    Gauge1->setProgress(100 - pct);
    lblTotal->setText(formatThousands(total));
    lblFree->setText(formatThousands(free));
    lblPct->setText(QStringLiteral("bytes (") + QString::number(pct) + QStringLiteral(" %) "));
    lblFreeC->setText(QStringLiteral("Free Space on Drive ") + root + QStringLiteral(": "));
    Label26->setText(QStringLiteral("Used Space on Drive ") + root + QStringLiteral(": "));
    lblUsed->setText(formatThousands(total - free));
    lblPct2->setText(QStringLiteral("bytes (") + QString::number(100 - pct) +
                     QStringLiteral(" %) "));
    // Little room left shows in red; otherwise the palette's text colour (black on a light
    // window, light on a dark one), like the figures beside it.
    const QString colour = pct <= 5 ? QStringLiteral("color: red") : QString();
    lblFree->setStyleSheet(colour);
    lblPct->setStyleSheet(colour);
}
