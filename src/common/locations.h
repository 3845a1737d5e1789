#pragma once

#include "platform/drives.h"

#include <QFrame>
#include <QString>
#include <QStringList>
#include <array>
#include <stdexcept>
#include <vector>

class QCheckBox;
class QComboBox;

// The panel of drive check boxes that every finder shows: 25 boxes "cb1" ... "cb25" in five
// columns of five, one box per mounted drive. The boxes stand 38 pixels apart; the boxes of
// the last column in use reach to the panel's right edge. A box's caption is the drive's
// mount point, shortened to its last folder name (and cut) when it is too wide; the exact
// mount point is always kept in the box's property "driveRoot", its hint and its accessible
// name, so a scan never works from the shortened text.
class TDrivePanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int BoxCount = 25;
    static constexpr int BoxWidth = 38;
    static constexpr int BoxHeight = 20;

    explicit TDrivePanel(QWidget* parent = nullptr);

    // Box number n (1 ... 25); nullptr for any other number.
    QCheckBox* box(int n) const;

    // Hides every box, then shows one box per drive (at most 25) captioned with its mount
    // point; only the box of drive `current` ends up ticked (-1: none).
    void buildDriveBoxes(const std::vector<Drive>& drives, int current);
    // The same from the system's drive list, its current drive ticked.
    void buildDriveBoxes();

    // The mount point that box n stands for; empty when the box is not in use.
    QString driveRoot(int n) const;
    // Whether box n is in use (not hidden) and ticked.
    bool isTicked(int n) const;
    // Whether any box in use is ticked.
    bool anyTicked() const;
    // The mount points of the ticked boxes, in box order.
    QStringList tickedRoots() const;
    // Each ticked box's whole mount point followed by one blank (for printed titles).
    QString tickedCaptions() const;

Q_SIGNALS:
    // A box was ticked or unticked by the person (not by buildDriveBoxes).
    void boxClicked();

private:
    std::array<QCheckBox*, BoxCount> boxes_{};
};

// Raised by isDriveReady for an id that names no drive.
class InvalidDriveId : public std::runtime_error {
public:
    InvalidDriveId() : std::runtime_error("Not a valid drive ID") {}
};

// Whether the drive whose root (mount point, as the drive boxes carry it) is `driveId` can be
// read now. Throws InvalidDriveId when the id is empty or names no drive of driveList().
bool isDriveReady(const QString& driveId);

// The program-wide search-path folder list (the main window's lb1). On first use it is filled
// from $PATH, so files in the folders of the search path carry the search-path marker from
// the start; TfrmMain::GetSearchPath fills it afresh.
QStringList& searchPathList();
// The folders of a PATH value: the entries between ":" separators, decoded losslessly, each
// without trailing "/" (except the root itself); empty and relative entries are left out
// (they cannot name a listed folder) and a folder is kept once.
QStringList searchPathFromEnvironment(const QByteArray& pathValue);
// Whether `folder` is exactly one of the search-path folders. Linux paths are case-sensitive,
// so no case is folded: /usr/bin is on a usual path, /USR/BIN is not.
bool isOnSearchPath(const QString& folder);

// The description shown beside a file-match pattern: "All files" for "*.*", otherwise the
// type of the pattern without its first character ("*.txt" gives the type of ".txt").
QString patternDescription(const QString& pattern);

// Fills a file-match combo's list with the known extensions ("*.*" first) and keeps the text
// that was in its edit field (filling would otherwise put the list's first entry there).
void fillPatternCombo(QComboBox* combo);
