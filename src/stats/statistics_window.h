#pragma once

#include "stats/stat_collector.h"

#include <QDialog>
#include <QString>
#include <array>

class AgePage;
class AttributesPage;
class DeletedPage;
class DiskPage;
class OverhangPage;
class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTimer;
class QVBoxLayout;
class ScanSession;
class SizesPage;
class TDigMarquee;
class TypesPage;

// The statistics window: collects the figures of one drive (every file of its mount point,
// hidden and system files included) and shows them on nine pages: disk space, the running
// totals of deletions, file types with their top ten, sizes, cluster overhang, the ages of
// the three time stamps and the attributes. It is made once at start-up and is modeless; the
// figures of the last collection stay on show between openings.
//
// The window wires the collector (stats/stat_collector.h) to the pages, each of which fills
// itself from the tallies. A collection walks on a background thread through the window's
// scan session and its own engine, so other tools can walk at the same time; a timer shows
// the progress meanwhile, and the pages are filled on the user-interface thread once the walk
// has ended. Cancel and Esc stop it; closing the window stops it and closes once the walk has
// let go; destroying the window stops the walk and waits for it.
class TfrmStatistics : public QDialog {
    Q_OBJECT
public:
    enum Page {
        DiskSpace,
        Deleted,
        Types,
        Sizes,
        Overhang,
        Accessed,
        Created,
        Modified,
        Attributes
    };

    explicit TfrmStatistics(QWidget* owner = nullptr);
    ~TfrmStatistics() override;

    const StatTallies& tallies() const { return collector_.tallies(); }
    bool collecting() const { return collecting_; }
    bool collected() const { return collected_; }
    // The drive of the last collection (its mount point).
    const QString& chosenDrive() const { return collector_.drive(); }

    // Stops a running collection (the main window calls it when the program ends).
    void abortCollection();
    // Starts one collection of `drive` (a mount point), without the drive question, and
    // returns while it runs; collectingChanged(false) says it has ended.
    void collect(const QString& drive);
    // The scan session the collection runs on.
    ScanSession& session() const { return *session_; }

    // The frame.
    QTabWidget* OvcNotebook1 = nullptr;
    QLabel* pnlNotYet = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btPrint = nullptr;
    QPushButton* btCancel = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* lblStatus = nullptr;   // the status bar's text
    QLabel* lblProgress = nullptr; // files and bytes so far, while collecting
    // An LED sign at the status bar's right: it scrolls while a collection runs, then tells
    // once how it ended and hides.
    TDigMarquee* DigMarquee1 = nullptr;

    // The pages.
    DiskPage* diskPage = nullptr;
    DeletedPage* deletedPage = nullptr;
    TypesPage* typesPage = nullptr;
    SizesPage* sizesPage = nullptr;
    OverhangPage* overhangPage = nullptr;
    std::array<AgePage*, 3> agePages{}; // by StatTallies::AgeSet
    AttributesPage* attributesPage = nullptr;

public Q_SLOTS:
    void btOKClick();
    void btCancelClick();
    void btPrintClick();
    void OvcNotebook1PageChanged(int index);

Q_SIGNALS:
    // A collection started (true) or ended (false).
    void collectingChanged(bool collecting);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildFrame();
    void buildButtons();
    void buildStatusBar();
    void buildPages();
    void FormShow();
    void showNotYet();

    void showStart(const QString& drive);
    void scan();
    void showProgress();
    void finishCollection();
    void showEnd(const QString& drive);
    void fillPages();

    StatCollector collector_;
    ScanSession* session_ = nullptr;
    QTimer* progressTimer_ = nullptr;
    QVBoxLayout* notYetArea_ = nullptr; // places pnlNotYet
    bool collecting_ = false;
    bool collected_ = false;
};
