#include "stats/statistics_window.h"

#include "common/message_boxes.h"
#include "common/reports.h"
#include "common/ui.h"
#include "common/which_drive.h"
#include "controls/dig_marquee.h"
#include "controls/marquee_state.h"
#include "finders/scan_session.h"
#include "platform/clock.h"
#include "stats/deleted_page.h"
#include "stats/disk_page.h"
#include "stats/overhang_page.h"
#include "stats/tally_pages.h"
#include "stats/types_page.h"
#include "widgets/push_button.h"
#include "widgets/result_list.h"
#include "widgets/string_grid.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
const QString kNotCollectedCaption = QStringLiteral("File Statistics Not Yet Collected");
const QString kNotYetText = QStringLiteral("Statistics haven't been collected yet!");
} // namespace

TfrmStatistics::TfrmStatistics(QWidget* owner)
    : QDialog(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmStatistics"));
    setWindowTitle(kNotCollectedCaption);
    setModal(false);
    buildFrame();
    buildPages();
    // Wide enough for all nine tabs side by side.
    resize(std::max(640, OvcNotebook1->tabBar()->sizeHint().width() + 40), 520);

    ScanSession::Parts parts;
    parts.window = this;
    parts.status = lblStatus;
    parts.busyArea = this;
    parts.lockWhileScanning = {btOK, btPrint};
    session_ = new ScanSession(collector_.engine(), parts, this);
    session_->setAbortReport({}); // the caption and the status say it
    session_->setInline(true);    // the collection runs on this thread
    session_->setRoots([this] { return QStringList{collector_.drive()}; });
    session_->setDriveWalk([this](const QString& root) { return collector_.walk(root); });
    // The status every 25 files and the share of the drive's used space collected so far,
    // brought up to date when the walk's pump runs, which is when the screen can show them.
    collector_.setProgressHandler([this](const StatCollector::Progress& p) {
        lblStatus->setText(QStringLiteral("Processing files ... standby : ") +
                           QString::number(p.files - p.files % 25));
        ProgressBar1->setValue(p.percent);
    });

    connect(btOK, &QPushButton::clicked, this, &TfrmStatistics::btOKClick);
    connect(btCancel, &QPushButton::clicked, this, &TfrmStatistics::btCancelClick);
    connect(btPrint, &QPushButton::clicked, this, &TfrmStatistics::btPrintClick);
    connect(OvcNotebook1, &QTabWidget::currentChanged, this,
            &TfrmStatistics::OvcNotebook1PageChanged);
    OvcNotebook1->setCurrentIndex(DiskSpace);
    showNotYet();
}

TfrmStatistics::~TfrmStatistics() = default;

void TfrmStatistics::buildFrame() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    OvcNotebook1 = new QTabWidget(this);
    OvcNotebook1->setObjectName(QStringLiteral("OvcNotebook1"));
    layout->addWidget(OvcNotebook1, 1);
    pnlNotYet = new QLabel(kNotYetText, OvcNotebook1);
    pnlNotYet->setObjectName(QStringLiteral("pnlNotYet"));
    pnlNotYet->setAlignment(Qt::AlignCenter);
    pnlNotYet->setAutoFillBackground(true);
    QFont big = pnlNotYet->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    pnlNotYet->setFont(big);
    // A layout of the notebook's own holds only the panel: it covers the page area under the
    // tabs, whose height is its top margin.
    notYetArea_ = new QVBoxLayout(OvcNotebook1);
    notYetArea_->addWidget(pnlNotYet);
    buildButtons();
    buildStatusBar();
}

void TfrmStatistics::buildButtons() {
    auto* buttons = new QHBoxLayout;
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->hide();
    buttons->addWidget(ProgressBar1, 1);
    buttons->addStretch();
    btOK = makePushButton(this, "btOK", QStringLiteral("&Collect statistics"),
                          QStringLiteral("Start collecting statistics"), 120);
    btOK->setDefault(true);
    btPrint = makePushButton(this, "btPrint", QStringLiteral("&Print page"),
                             QStringLiteral("Print this page only"), 90);
    btCancel = makePushButton(this, "btCancel", QStringLiteral("Cancel"),
                              QStringLiteral("Cancel operation or close window"));
    for (QPushButton* b : {btOK, btPrint, btCancel})
        buttons->addWidget(b);
    static_cast<QVBoxLayout*>(layout())->addLayout(buttons);
}

// A status bar with one text and the LED sign at its right.
void TfrmStatistics::buildStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    lblStatus = new QLabel(StatusBar1);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->setAccessibleDescription(QStringLiteral("Status"));
    StatusBar1->addWidget(lblStatus, 1);
    DigMarquee1 = new TDigMarquee(StatusBar1);
    DigMarquee1->setObjectName(QStringLiteral("DigMarquee1"));
    DigMarquee1->setFixedSize(264, 21);
    DigMarquee1->hide();
    connect(DigMarquee1, &TDigMarquee::OnFinishScrolling, DigMarquee1, &QWidget::hide);
    StatusBar1->addPermanentWidget(DigMarquee1);
    layout()->addWidget(StatusBar1);
}

void TfrmStatistics::buildPages() {
    diskPage = new DiskPage;
    deletedPage = new DeletedPage;
    typesPage = new TypesPage(collector_.tallies());
    sizesPage = new SizesPage;
    overhangPage = new OverhangPage;
    for (int set = 0; set < 3; ++set)
        agePages[size_t(set)] = new AgePage(StatTallies::AgeSet(set));
    attributesPage = new AttributesPage;
    OvcNotebook1->addTab(diskPage, QStringLiteral("Disk space"));
    OvcNotebook1->addTab(deletedPage, QStringLiteral("Deleted"));
    OvcNotebook1->addTab(typesPage, QStringLiteral("Types"));
    OvcNotebook1->addTab(sizesPage, QStringLiteral("Sizes"));
    OvcNotebook1->addTab(overhangPage, QStringLiteral("Overhang"));
    OvcNotebook1->addTab(agePages[StatTallies::Accessed], QStringLiteral("Accessed"));
    OvcNotebook1->addTab(agePages[StatTallies::Created], QStringLiteral("Created"));
    OvcNotebook1->addTab(agePages[StatTallies::Modified], QStringLiteral("Modified"));
    OvcNotebook1->addTab(attributesPage, QStringLiteral("Attributes"));
}

// ---- showing

void TfrmStatistics::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfrmStatistics::FormShow() {
    if (!collecting_)
        ProgressBar1->hide();
    diskPage->fillDriveList();
    diskPage->cbDriveClick();
    showNotYet();
}

// The panel shows on the tally pages until a collection has finished.
void TfrmStatistics::showNotYet() {
    const int page = OvcNotebook1->currentIndex();
    const bool show = page != DiskSpace && page != Deleted && !collected_;
    pnlNotYet->setVisible(show);
    if (show) {
        notYetArea_->setContentsMargins(0, OvcNotebook1->tabBar()->sizeHint().height(), 0, 0);
        pnlNotYet->raise();
    }
}

void TfrmStatistics::OvcNotebook1PageChanged(int index) {
    if (index == Deleted)
        deletedPage->showFilesDeleted();
    else if (index == DiskSpace)
        diskPage->doDiskSize();
    showNotYet();
}

// ---- collecting

void TfrmStatistics::btOKClick() {
    QString drive;
    {
        TfrmWhichDrive dlg(this);
        if (ui().showModal(dlg) != QDialog::Accepted)
            return;
        drive = dlg.cbDrive->currentText();
    }
    if (drive.isEmpty())
        return;
    collect(drive);
}

void TfrmStatistics::collect(const QString& drive) {
    sizesPage->lblCluster->clear();
    if (!StatCollector::driveReadyNow(drive)) {
        // The earlier figures stay as they were.
        errorBox(QStringLiteral("There is no disk in drive ") + drive);
        ProgressBar1->hide();
        showNotYet();
        return;
    }
    infoBox(QStringLiteral("Drive \"") + drive +
            QStringLiteral("\" will be scanned.  The analysis may take some time.  You may quit "
                           "at any time by clicking CANCEL or pressing ESC."));
    // The whole mount point is walked; its geometry gives the cluster size and the used
    // space that the progress bar measures against.
    collector_.start(drive, currentDateTime());
    sizesPage->showClusterSize(drive, collector_.clusterSize());
    showStart(drive);
    scan();
    collected_ = true;
    collecting_ = false;
    Q_EMIT collectingChanged(false);
    showEnd(drive);
}

void TfrmStatistics::showStart(const QString& drive) {
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    pnlNotYet->setText(QStringLiteral("Collecting statistics ... standby.  Press CANCEL to stop."));
    collecting_ = true;
    Q_EMIT collectingChanged(true);
    DigMarquee1->setLoops(0);
    DigMarquee1->setCaption(QStringLiteral("~4 COLLECTING STATISTICS FOR ") +
                            marquee::literalText(drive) + QStringLiteral(" ~3 PRESS ESC TO STOP "));
    DigMarquee1->show();
}

void TfrmStatistics::scan() {
    lblStatus->clear();
    typesPage->clear(); // the grid's rows name entries of the table just emptied
    session_->start({}, [this](ScanSession::End) { fillPages(); });
    QString status = QStringLiteral("Finished - ") +
                     QString::number(collector_.tallies().filesProcessed) +
                     QStringLiteral(" files processed");
    if (collector_.aborted())
        status += QStringLiteral(" INCOMPLETE ... ABORTED");
    lblStatus->setText(status);
}

void TfrmStatistics::fillPages() {
    const StatTallies& t = collector_.tallies();
    overhangPage->fill(t, collector_.clusterSize());
    typesPage->fill();
    sizesPage->fill(t);
    attributesPage->fill(t);
    for (AgePage* page : agePages)
        page->fill(t);
}

void TfrmStatistics::showEnd(const QString& drive) {
    const bool aborted = collector_.aborted();
    DigMarquee1->setLoops(1);
    DigMarquee1->setCaption(aborted ? QStringLiteral("~2F ABORTED ~F5 PARTIAL FIGURES SHOWN ")
                                    : QStringLiteral("~1 COMPLETED: ") +
                                          QString::number(collector_.tallies().filesProcessed) +
                                          QStringLiteral(" FILES "));
    setWindowTitle(aborted ? QStringLiteral("File Statistics for drive ") + drive +
                                 QStringLiteral(" incomplete ... aborted.")
                           : QStringLiteral("Statistics for drive ") + drive +
                                 QStringLiteral(" completed."));
    pnlNotYet->setText(kNotYetText);
    ProgressBar1->hide();
    showNotYet();
}

void TfrmStatistics::btCancelClick() {
    if (collecting_)
        abortCollection();
    else
        reject();
}

void TfrmStatistics::abortCollection() {
    if (collecting_)
        session_->abort();
}

// ---- printing

void TfrmStatistics::btPrintClick() {
    if (OvcNotebook1->currentIndex() == Types) {
        printGridWithDialog(*typesPage->gridTypes,
                            QStringLiteral("File types for drive ") + collector_.drive(), this);
        return;
    }
    QPrinter& printer = appPrinter();
    if (!ui().printDialog(printer, this))
        return;
    // The page as it is on the screen, scaled to fit the paper.
    QWidget* page = OvcNotebook1->currentWidget();
    QPainter painter;
    if (!painter.begin(&printer)) {
        errorBox(QStringLiteral("Error printing report ... quitting"));
        return;
    }
    const QRect paper = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = std::min(double(paper.width()) / std::max(1, page->width()),
                                  double(paper.height()) / std::max(1, page->height()));
    painter.scale(scale, scale);
    page->render(&painter);
    if (pnlNotYet->isVisible())
        pnlNotYet->render(&painter, QPoint(0, 0));
    painter.end();
}
