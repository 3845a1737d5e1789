#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class TGauge;

// "Disk space": the capacity, free and used space of the drive chosen in its box.
class DiskPage : public QWidget {
public:
    DiskPage();

    // The drives mounted now; the chosen one stays chosen while it is mounted, else the drive
    // of the home folder is.
    void fillDriveList();
    // Names the chosen drive and shows its figures.
    void cbDriveClick();
    // Shows the chosen drive's figures; one that cannot be read leaves the page as it was.
    void doDiskSize();

    QComboBox* cbDrive = nullptr;
    QLabel* lblDriveName = nullptr;
    QLabel* lblTotal = nullptr;
    // Free and used space, a line a row of the page: its caption, bytes and share.
    QLabel *lblFreeC = nullptr, *lblFree = nullptr, *lblPct = nullptr;
    QLabel *Label26 = nullptr, *lblUsed = nullptr, *lblPct2 = nullptr;
    TGauge* Gauge1 = nullptr;
};
