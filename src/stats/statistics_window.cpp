#include "stats/statistics_window.h"

#include "common/locations.h"
#include "common/message_boxes.h"
#include "common/reports.h"
#include "common/ui.h"
#include "common/which_drive.h"
#include "controls/dig_marquee.h"
#include "controls/marquee_state.h"
#include "finders/scan_session.h"
#include "platform/clock.h"
#include "platform/drives.h"
#include "widgets/push_button.h"
#include "widgets/result_list.h"
#include "widgets/string_grid.h"

#include <QComboBox>
#include <QEvent>
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
} // namespace

// Hands each file of the walk to the tallies. The status and the progress bar are brought up
// to date when the walk's pump runs, which is when the screen can show them anyway.
class TfrmStatistics::Sink : public ScanSink {
public:
    explicit Sink(TfrmStatistics& w) : w_(w) {}
    void file(const ScanFile& f) override {
        StatTallies::File file;
        file.name = f.name;
        file.nameLength = f.nameLength;
        file.size = f.size;
        file.attributes = f.attributes & ~unsigned(faDirectory);
        file.accessTime = f.accessTime;
        file.creationTime = f.creationTime;
        file.writeTime = f.writeTime;
        w_.tallies_.crunchNumbers(file);
    }
    // The status every 25 files and the share of the drive's used space collected so far.
    void show() {
        const qint64 n = w_.tallies_.filesProcessed;
        w_.lblStatus->setText(QStringLiteral("Processing files ... standby : ") +
                              QString::number(n - n % 25));
        w_.ProgressBar1->setValue(gaugePercent(w_.tallies_.totalBytes, w_.driveUsed_).value_or(0));
    }

private:
    TfrmStatistics& w_;
};

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
    session_ = new ScanSession(engine_, parts, this);
    session_->setAbortReport({}); // the caption and the status say it
    session_->setRoots([this] { return QStringList{drive_}; });
    sink_ = std::make_unique<Sink>(*this);
    engine_.setSink(sink_.get());
    engine_.setFileMask(kAnyFileMask); // hidden, system and read-only files count too
    engine_.setStatusHandler([this](const QString&) { sink_->show(); });

    connect(btOK, &QPushButton::clicked, this, &TfrmStatistics::btOKClick);
    connect(btCancel, &QPushButton::clicked, this, &TfrmStatistics::btCancelClick);
    connect(btPrint, &QPushButton::clicked, this, &TfrmStatistics::btPrintClick);
    connect(OvcNotebook1, &QTabWidget::currentChanged, this,
            &TfrmStatistics::OvcNotebook1PageChanged);
    OvcNotebook1->setCurrentIndex(DiskSpace);
    showNotYet();
}

TfrmStatistics::~TfrmStatistics() = default;

bool TfrmStatistics::isDriveReadyNow(const QString& root) {
    try {
        return isDriveReady(root);
    } catch (const InvalidDriveId&) {
        return false;
    }
}

void TfrmStatistics::buildFrame() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    OvcNotebook1 = new QTabWidget(this);
    OvcNotebook1->setObjectName(QStringLiteral("OvcNotebook1"));
    layout->addWidget(OvcNotebook1, 1);
    pnlNotYet = new QLabel(QStringLiteral("Statistics haven't been collected yet!"), OvcNotebook1);
    pnlNotYet->setObjectName(QStringLiteral("pnlNotYet"));
    pnlNotYet->setAlignment(Qt::AlignCenter);
    pnlNotYet->setAutoFillBackground(true);
    QFont big = pnlNotYet->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    pnlNotYet->setFont(big);
    OvcNotebook1->installEventFilter(this);

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
    layout->addLayout(buttons);

    // A status bar with one text; other widgets may be added beside it.
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
    layout->addWidget(StatusBar1);
}

// ---- showing

void TfrmStatistics::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfrmStatistics::FormShow() {
    if (!collecting_)
        ProgressBar1->hide();
    fillDriveList();
    cbDriveClick();
    showNotYet();
}

bool TfrmStatistics::eventFilter(QObject* watched, QEvent* event) {
    if (watched == OvcNotebook1 && event->type() == QEvent::Resize)
        placeNotYet();
    else if (gridTypes && watched == gridTypes->viewport() && event->type() == QEvent::Resize)
        fitTypeColumns();
    return QDialog::eventFilter(watched, event);
}

// The panel covers the page area under the tabs.
void TfrmStatistics::placeNotYet() {
    const int top = OvcNotebook1->tabBar()->height();
    pnlNotYet->setGeometry(0, top, OvcNotebook1->width(), OvcNotebook1->height() - top);
}

// The panel shows on the tally pages until a collection has finished.
void TfrmStatistics::showNotYet() {
    const int page = OvcNotebook1->currentIndex();
    const bool show = page != DiskSpace && page != Deleted && !collected_;
    pnlNotYet->setVisible(show);
    if (show) {
        placeNotYet();
        pnlNotYet->raise();
    }
}

void TfrmStatistics::OvcNotebook1PageChanged(int index) {
    if (index == Deleted)
        showFilesDeleted();
    else if (index == DiskSpace)
        doDiskSize();
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
    engine_.clearAbort();
    lblCluster->clear();
    if (!isDriveReadyNow(drive)) {
        // The earlier figures stay as they were.
        errorBox(QStringLiteral("There is no disk in drive ") + drive);
        ProgressBar1->hide();
        showNotYet();
        return;
    }
    infoBox(QStringLiteral("Drive \"") + drive +
            QStringLiteral("\" will be scanned.  The analysis may take some time.  You may quit "
                           "at any time by clicking CANCEL or pressing ESC."));
    drive_ = drive;
    // The whole mount point is walked; its geometry gives the cluster size and the used
    // space that the progress bar measures against.
    const std::optional<DiskGeometry> g = diskGeometry(drive);
    clusterSize_ = g ? g->bytesPerCluster() : 0;
    driveUsed_ = g ? g->totalBytes() - g->freeBytes() : 0;
    const QString size = QString::number(clusterSize_);
    lblCluster->setText(QStringLiteral("Since drive ") + drive +
                        QStringLiteral(" is partitioned into ") + size +
                        QStringLiteral(" bytes per cluster, the smallest file of only 1 byte will "
                                       "consume ") +
                        size +
                        QStringLiteral(" bytes.  The actual space that each file uses will be "
                                       "rounded up to the next multiple of ") +
                        size + QStringLiteral(" bytes."));
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    pnlNotYet->setText(QStringLiteral("Collecting statistics ... standby.  Press CANCEL to stop."));
    collecting_ = true;
    Q_EMIT collectingChanged(true);
    DigMarquee1->setLoops(0);
    DigMarquee1->setCaption(QStringLiteral("~4 COLLECTING STATISTICS FOR ") +
                            marquee::literalText(drive) + QStringLiteral(" ~3 PRESS ESC TO STOP "));
    DigMarquee1->show();
    scan();
    collected_ = true;
    collecting_ = false;
    Q_EMIT collectingChanged(false);
    const bool aborted = engine_.aborted();
    DigMarquee1->setLoops(1);
    DigMarquee1->setCaption(aborted ? QStringLiteral("~2F ABORTED ~F5 PARTIAL FIGURES SHOWN ")
                                    : QStringLiteral("~1 COMPLETED: ") +
                                          QString::number(tallies_.filesProcessed) +
                                          QStringLiteral(" FILES "));
    setWindowTitle(aborted ? QStringLiteral("File Statistics for drive ") + drive +
                                 QStringLiteral(" incomplete ... aborted.")
                           : QStringLiteral("Statistics for drive ") + drive +
                                 QStringLiteral(" completed."));
    pnlNotYet->setText(QStringLiteral("Statistics haven't been collected yet!"));
    ProgressBar1->hide();
    showNotYet();
}

void TfrmStatistics::scan() {
    lblStatus->clear();
    tallies_.clearVariables(currentDateTime());
    doFileTypes(); // the grid's rows name entries of the table just emptied
    session_->run([this] {
        doOverHang();
        doFileTypes();
        doFileSizes();
        doFileAttrs();
        doFileAges();
        sortMenu_->reset();
        sortMenu_->sortBy(SortbyExtension1);
    });
    QString status = QStringLiteral("Finished - ") + QString::number(tallies_.filesProcessed) +
                     QStringLiteral(" files processed");
    if (engine_.aborted())
        status += QStringLiteral(" INCOMPLETE ... ABORTED");
    lblStatus->setText(status);
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
        printGridWithDialog(*gridTypes, QStringLiteral("File types for drive ") + drive_, this);
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
