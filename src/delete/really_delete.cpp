#include "delete/really_delete.h"
#include "common/screen_centre.h"

#include "common/application.h"
#include "common/message_boxes.h"
#include "common/number_text.h"
#include "common/ui.h"
#include "model/delete_files.h"
#include "model/deletion_totals.h"
#include "model/marked_files.h"
#include "platform/native_path.h"
#include "platform/trash.h"
#include "widgets/push_button.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <future>

namespace {

// Runs the check of each file on a thread of its own: comparing two large files takes
// seconds, and meanwhile the window goes on painting. Clicks and keys are held back until
// the check is back, so the run is never entered again from its own window.
FileCheck offTheWindowThread(FileCheck check) {
    if (!check)
        return {};
    return [check = std::move(check)](const QString& path) {
        std::future<FileVerdict> verdict = std::async(std::launch::async, check, path);
        while (verdict.wait_for(std::chrono::milliseconds(15)) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return verdict.get();
    };
}

// The system's reason for a failure, put after a message: " (Permission denied)".
QString withReason(const QString& reason) {
    return reason.isEmpty() ? QString() : QStringLiteral(" (") + reason + u')';
}

} // namespace

namespace {
// A wrapped notice in bold letters of one colour: the warnings of the confirmation.
void makeBoldNotice(QLabel* label, Qt::GlobalColor colour) {
    label->setWordWrap(true);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}
} // namespace

TfrmReallyDelete::TfrmReallyDelete(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Delete/rename the following files:"));
    setFixedSize(622, 400);

    buildFilePanel();
    buildWarning();

    bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("bar"));
    bar->setToolTip(QStringLiteral("Progress bar"));
    bar->setAccessibleName(QStringLiteral("Progress bar"));
    // An empty bar until a run starts (a range of 0 to 0 would show Qt's busy animation).
    bar->setRange(0, 1);
    bar->setValue(0);
    bar->setTextVisible(false);

    btClose = makeIconButton(this, QStringLiteral("Cancel"),
                             QStringLiteral("Cancel and close.  Do not rename or delete "),
                             QStyle::SP_DialogCancelButton);
    btClose->setObjectName(QStringLiteral("btClose"));

    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(bar, 1);
    bottomRow->addWidget(btClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel2, 1);
    layout->addWidget(Label2);
    layout->addLayout(bottomRow);

    connect(btDelete, &QPushButton::clicked, this, &TfrmReallyDelete::btDeleteAllClick);
    connect(btRecycle, &QPushButton::clicked, this, &TfrmReallyDelete::btRecycleClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmReallyDelete::buildFilePanel() {
    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Raised);

    lblDelete = new QLabel(QStringLiteral("The following files will be deleted:"), Panel2);
    lblDelete->setObjectName(QStringLiteral("lblDelete"));
    Label3 = new QLabel(QStringLiteral("Potential savings of "), Panel2);
    Label3->setObjectName(QStringLiteral("Label3"));
    lblSavings = new QLabel(QStringLiteral("9,999,999,999 bytes"), Panel2);
    lblSavings->setObjectName(QStringLiteral("lblSavings"));
    lblKeptLinks = new QLabel(Panel2);
    lblKeptLinks->setObjectName(QStringLiteral("lblKeptLinks"));
    lblKeptLinks->setWordWrap(true);
    lblKeptLinks->hide();

    lblLastCopies = new QLabel(Panel2);
    lblLastCopies->setObjectName(QStringLiteral("lblLastCopies"));
    makeBoldNotice(lblLastCopies, Qt::red);
    lblLastCopies->hide();

    lb1 = new QListWidget(Panel2);
    lb1->setObjectName(QStringLiteral("lb1"));
    lb1->setAccessibleName(QStringLiteral("Files to delete"));
    lb1->setFocusPolicy(Qt::NoFocus);
    lb1->setSelectionMode(QAbstractItemView::NoSelection);
    QPalette listPalette = lb1->palette();
    listPalette.setColor(QPalette::Base, listPalette.color(QPalette::Button));
    lb1->setPalette(listPalette);

    btDelete = makeIconButton(
        Panel2, QStringLiteral("&Delete all files"),
        QStringLiteral("Delete the files shown above permanently.  Cannot be undeleted."),
        QStyle::SP_DialogDiscardButton);
    btDelete->setObjectName(QStringLiteral("btDelete"));
    btRecycle =
        makeIconButton(Panel2, QStringLiteral("&Send to recycle bin"),
                       QStringLiteral("Send to recycle bin.  Recycle bin can be emptied later."),
                       QStyle::SP_TrashIcon);
    btRecycle->setObjectName(QStringLiteral("btRecycle"));

    lblNoTrash = new QLabel(Panel2);
    lblNoTrash->setObjectName(QStringLiteral("lblNoTrash"));
    lblNoTrash->setWordWrap(true);
    lblNoTrash->hide();

    auto* savingsRow = new QHBoxLayout;
    savingsRow->addWidget(Label3);
    savingsRow->addWidget(lblSavings);
    savingsRow->addStretch();
    auto* actionRow = new QHBoxLayout;
    actionRow->addWidget(btDelete);
    actionRow->addWidget(btRecycle);
    actionRow->addWidget(lblNoTrash, 1);
    actionRow->addStretch();
    auto* panelLayout = new QVBoxLayout(Panel2);
    panelLayout->addWidget(lblDelete);
    panelLayout->addLayout(savingsRow);
    panelLayout->addWidget(lblKeptLinks);
    panelLayout->addWidget(lblLastCopies);
    panelLayout->addWidget(lb1, 1);
    panelLayout->addLayout(actionRow);
}

void TfrmReallyDelete::buildWarning() {
    Label2 = new QLabel(
        QStringLiteral("WARNING: The file(s) that you selected to delete may belong to working "
                       "applications.  Zelkova cannot determine if they are needed for proper "
                       "operation of other applications.  If in doubt do not delete these "
                       "files. "),
        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    makeBoldNotice(Label2, Qt::blue);
}

void TfrmReallyDelete::setFiles(const QStringList& paths) {
    paths_ = sortedForDeletion(paths);
    lb1->clear();
    // A tab, a line break or a byte that is no text would garble a line; show them escaped.
    for (const QString& path : paths_)
        lb1->addItem(escapeForLine(path));
    UpdateHeaders();
    // A trash that the desktop would not show could not give the files back: where any
    // listed file has none, only deletion for good is offered, and the window says why.
    const QString refused = trashRefusal(paths_);
    btRecycle->setEnabled(refused.isEmpty());
    lblNoTrash->setText(refused.isEmpty() ? QString() : noTrashText(refused));
    lblNoTrash->setVisible(!refused.isEmpty());
}

void TfrmReallyDelete::setMarks(const MarkedFiles& marks) {
    setFiles(marks.paths());
    const MarkedFiles::Savings s = marks.savings();
    savings = s.bytes;
    keptLinks = s.keptLinks;
}

void TfrmReallyDelete::setLastCopies(const QStringList& groups) {
    lastCopies_ = groups;
    lblLastCopies->setText(groups.isEmpty() ? QString() : lastCopiesWarning(groups));
    lblLastCopies->setVisible(!groups.isEmpty());
}

bool TfrmReallyDelete::lastCopiesConfirmed() {
    if (lastCopies_.isEmpty() ||
        ui().askYesNoDefaultNo(lastCopiesQuestion(lastCopies_)) == Answer::Yes)
        return true;
    infoBox(QStringLiteral("Files not deleted"));
    return false;
}

void TfrmReallyDelete::UpdateHeaders() {
    lblDelete->setText(QStringLiteral("The following ") + QString::number(paths_.size()) +
                       QStringLiteral(" files will be deleted."));
}

void TfrmReallyDelete::showEvent(QShowEvent* event) {
    lblSavings->setText(formatThousands(savings) + QStringLiteral(" bytes"));
    lblKeptLinks->setText(keptLinksText(keptLinks));
    lblKeptLinks->setVisible(keptLinks > 0);
    UpdateHeaders();
    centreOnScreen(this);
    QDialog::showEvent(event);
}

void TfrmReallyDelete::btDeleteAllClick() {
    if (paths_.isEmpty()) {
        warningBox(QStringLiteral("There are no files to delete"));
        return;
    }
    if (ui().askYesNo(QStringLiteral("Really delete?")) != Answer::Yes) {
        infoBox(QStringLiteral("Files not deleted"));
        return;
    }
    if (!lastCopiesConfirmed())
        return;
    FileRunResult result;
    {
        BusyCursor busy;
        bar->setRange(0, std::max(int(paths_.size()) - 1, 1));
        result = deleteFilesForGood(
            paths_,
            [this](int i) {
                bar->setValue(i);
                bar->repaint();
            },
            [](const QString& path, const QString& reason) {
                // The message box is not shown under the hourglass.
                ui().setBusy(false);
                errorBox(QStringLiteral("Couldn't delete file - ") + path + withReason(reason));
                ui().setBusy(true);
            },
            offTheWindowThread(check_));
    }
    if (!result.refused.isEmpty())
        warningBox(refusedFilesText(result.refused, false));
    finishRun(result.files, result.bytes, 0, 0);
}

void TfrmReallyDelete::btRecycleClick() {
    if (ui().askYesNo(recycleBinQuestion()) != Answer::Yes) {
        infoBox(QStringLiteral("Files not deleted"));
        return;
    }
    if (!lastCopiesConfirmed())
        return;
    FileRunResult result;
    {
        BusyCursor busy;
        bar->setRange(0, std::max(int(paths_.size()) - 1, 1));
        result = sendFilesToTrash(
            paths_,
            [this](int i) {
                bar->setValue(i);
                bar->repaint();
            },
            offTheWindowThread(check_));
    }
    if (result.stoppedAt >= 0)
        errorBox(QStringLiteral(
                     "An error occurred sending files to the recycle bin.  The bin may be full.") +
                 withReason(result.stopReason));
    if (!result.refused.isEmpty())
        warningBox(refusedFilesText(result.refused, true));
    finishRun(0, 0, result.files, result.bytes);
}

void TfrmReallyDelete::clearList() {
    paths_.clear();
    setLastCopies({});
    lb1->clear();
}

void TfrmReallyDelete::finishRun(qint64 deletedFiles, qint64 deletedBytes, qint64 trashedFiles,
                                 qint64 trashedBytes) {
    // Only what really went is counted, so a failed file never inflates the totals.
    try {
        addToDeletionTotals(deletedFiles, deletedBytes, trashedFiles, trashedBytes);
    } catch (const std::exception& e) {
        // The files are gone whatever the settings file says: report it and still close with
        // OK so the caller knows its list is out of date.
        reportError(e);
    }
    clearList();
    UpdateHeaders();
    accept();
}
