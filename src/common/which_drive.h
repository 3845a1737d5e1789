#pragma once

#include "platform/drives.h"

#include <QDialog>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

// Asks for the one drive the statistics are collected for. The caller reads cbDrive's text
// (the drive's mount point) after OK.
class TfrmWhichDrive : public QDialog {
    Q_OBJECT
public:
    // Offers the system's drives, starting at the current one.
    explicit TfrmWhichDrive(QWidget* parent = nullptr);
    // Offers `drives`, starting at drive `current` (-1: the first).
    TfrmWhichDrive(const std::vector<Drive>& drives, int current, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QComboBox* cbDrive = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build(const std::vector<Drive>& drives, int current);
};
