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
class QFontMetrics;

// The panel of drive check boxes that every finder shows: 25 boxes "cb1" ... "cb25" in five
// columns of five, one box per mounted drive. The columns in use share the panel's width, so
// up to five drives get its whole width and 21 to 25 drives columns 38 pixels apart. Captions
// come from driveCaptions; the exact mount point is always kept in the box's property
// "driveRoot", its hint and its accessible name, so a scan never works from the shortened text.
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
    // A box was ticked or unticked, by mouse, keys, an accessibility action or a program (not
    // by buildDriveBoxes). Named after the windows' cb1Click, which it drives.
    void boxClicked();

private:
    std::array<QCheckBox*, BoxCount> boxes_{};
    bool building_ = false;
};

// The captions of drive boxes: one per mount point, each drawn in `metrics` within rooms[i]
// pixels. A mount point that fits is shown whole. Otherwise the caption is the end of the path:
// the fewest trailing folder names that no other mount point ends with ("doc" for /tmp/doc
// beside /srv, "1000/doc" for /run/user/1000/doc beside /tmp/doc), shortened in the middle
// with an ellipsis when too wide, so its start and its end stay ("tmp…s1"). Captions that
// would still read alike show the place where their names differ ("ba…24-disk"). Only a room too
// narrow for that leaves two captions alike; the hint and accessible name tell them apart.
QStringList driveCaptions(const QStringList& roots, const std::vector<int>& rooms,
                          const QFontMetrics& metrics);

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
// type of the extension it names, without a leading "*" and "." ("*.txt", ".txt" and "txt"
// all give the type of ".txt"); "" for "*" and a blank pattern.
QString patternDescription(const QString& pattern);

// Fills a file-match combo's list with the known extensions ("*.*" first) and keeps the text
// that was in its edit field (filling would otherwise put the list's first entry there).
void fillPatternCombo(QComboBox* combo);
