#pragma once

#include "finders/scan_engine.h"
#include "stats/stat_tallies.h"

#include <QDialog>
#include <QString>
#include <array>
#include <memory>
#include <vector>

class GridSortMenu;
class QAction;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class TDigMarquee;
class QTabWidget;
class QWidget;
class ScanSession;
class StringGrid;
class TGauge;

// One row of a tally page: its caption, the count with its share of all files, and the bytes
// with their share of all bytes.
struct TallyRow {
    QLabel* caption = nullptr;
    TGauge* countGauge = nullptr;
    QLabel* count = nullptr;
    TGauge* bytesGauge = nullptr;
    QLabel* bytes = nullptr;
};

// The statistics window: collects the figures of one drive (every file of its mount point,
// hidden and system files included) and shows them on nine pages: disk space, the running
// totals of deletions, file types with their top ten, sizes, cluster overhang, the ages of
// the three time stamps and the attributes. It is made once at start-up and is modeless; the
// figures of the last collection stay on show between openings.
//
// A collection runs on the user-interface thread through the shared walker and keeps the
// window live; Cancel and Esc stop it, closing the window stops it first. While it runs the
// window says so through collectingChanged, so the main window can keep its tools still.
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

    const StatTallies& tallies() const { return tallies_; }
    bool collecting() const { return collecting_; }
    bool collected() const { return collected_; }
    // The drive of the last collection (its mount point).
    const QString& chosenDrive() const { return drive_; }
    // The rank columns' numbers of type table entry i (0: no rank).
    int sizeRank(int i) const { return sizeRanks_[size_t(i)]; }
    int countRank(int i) const { return countRanks_[size_t(i)]; }

    // Stops a running collection (the main window calls it when the program ends).
    void abortCollection();
    // One collection of `drive` (a mount point), without the drive question.
    void collect(const QString& drive);

    // The frame.
    QTabWidget* OvcNotebook1 = nullptr;
    QLabel* pnlNotYet = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btPrint = nullptr;
    QPushButton* btCancel = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* lblStatus = nullptr; // the status bar's text
    // An LED sign at the status bar's right: it scrolls while a collection runs, then tells
    // once how it ended and hides.
    TDigMarquee* DigMarquee1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* SortbyExtension1 = nullptr;
    QAction* SortbyType1 = nullptr;
    QAction* SortbyNumber1 = nullptr;
    QAction* SortbySize1 = nullptr;

    // "Disk space".
    QComboBox* cbDrive = nullptr;
    QLabel* lblDriveName = nullptr;
    QLabel* lblTotal = nullptr;
    QLabel* lblFreeC = nullptr;
    QLabel* lblFree = nullptr;
    QLabel* lblPct = nullptr;
    QLabel* Label26 = nullptr;
    QLabel* lblUsed = nullptr;
    QLabel* lblPct2 = nullptr;
    TGauge* Gauge1 = nullptr;
    // "Deleted".
    QLineEdit* edNdelete = nullptr;
    QLineEdit* edSzDelete = nullptr;
    QLineEdit* edNWaste = nullptr;
    QLineEdit* edSzWaste = nullptr;
    QLabel* lblSince1 = nullptr;
    QPushButton* Button1 = nullptr;
    // "Types".
    StringGrid* gridTypes = nullptr;
    QPushButton* btSort = nullptr;
    // "Sizes" (rows 1 .. 9), the three age pages (rows 0 .. 9), "Attributes" (hidden,
    // read-only, system, archive).
    std::array<TallyRow, 10> sizeRows{};
    std::array<std::array<TallyRow, 10>, 3> ageRows{};
    std::array<TallyRow, 4> attrRows{};
    QLabel* lblCluster = nullptr;
    // "Overhang" (rows 1 .. 5).
    std::array<TGauge*, 6> gaOver{};
    std::array<QLabel*, 6> lblOver{};
    std::array<QLabel*, 6> overhangRowCaption{};
    QLabel* imArrow = nullptr;
    QWidget* pnlOverhang = nullptr;
    QLabel* lblNumFiles = nullptr;
    QLabel* lblSize = nullptr;
    QLabel* lblLbl = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

public Q_SLOTS:
    void btOKClick();
    void btCancelClick();
    void btPrintClick();
    void btSortClick();
    void Button1Click();
    void cbDriveClick();
    void OvcNotebook1PageChanged(int index);
    void SortbyExtensionClick(QAction* item);

Q_SIGNALS:
    // A collection started (true) or ended (false).
    void collectingChanged(bool collecting);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Sink;

    void buildFrame();
    void buildPages();
    QWidget* buildDiskPage();
    QWidget* buildDeletedPage();
    QWidget* buildTypesPage();
    QWidget* buildSizesPage();
    QWidget* buildOverhangPage();
    QWidget* buildAgePage(int set);
    QWidget* buildAttributesPage();
    void FormShow();
    void fillDriveList();
    void fitTypeColumns();
    void placeNotYet();
    void showNotYet();

    // Whether the drive is in the drive list as it is now and can be read; a drive that has
    // been unmounted is not ready.
    static bool isDriveReadyNow(const QString& root);
    void scan();
    void doDiskSize();
    void showFilesDeleted();
    void doOverHang();
    void drawClusterArrow();
    void doFileTypes();
    void doFileSizes();
    void doFileAttrs();
    void doFileAges();
    QString typeCell(quint32 entry, int col) const;

    StatTallies tallies_;
    ScanEngine engine_;
    ScanSession* session_ = nullptr;
    std::unique_ptr<Sink> sink_;
    std::unique_ptr<GridSortMenu> sortMenu_;
    std::vector<QString> typeNames_;
    std::vector<int> sizeRanks_, countRanks_;
    QString drive_; // the drive of the last collection
    QGridLayout* overhangGrid_ = nullptr;
    qint64 clusterSize_ = 0; // its bytes per cluster
    qint64 driveUsed_ = 0;   // its used space, for the progress bar
    bool collecting_ = false;
    bool collected_ = false;
};
