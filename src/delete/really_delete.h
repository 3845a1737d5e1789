#pragma once

#include "model/delete_files.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <utility>

class MarkedFiles;
class QFrame;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

// The file-deletion confirmation window. A finder hands it the paths of its marked files and
// the bytes they hold, shows it modally, and reads the result: Accepted after any deletion or
// trashing run (the list is then emptied), Rejected when the person closed it without one.
//
//   TfrmReallyDelete dlg(owner);
//   dlg.setFiles(paths);
//   dlg.savings = markedTotal; // or dlg.setMarks(marks) in place of both
//   int r = ui().showModal(dlg);
class TfrmReallyDelete : public QDialog {
    Q_OBJECT

public:
    explicit TfrmReallyDelete(QWidget* owner = nullptr);

    // Replaces the listed files. They are kept sorted without regard to case, and are shown
    // and processed in that order.
    void setFiles(const QStringList& paths);
    // The listed paths, exactly as given, in the sorted order.
    const QStringList& files() const { return paths_; }

    // The marked files of a result list: setFiles with their paths, `savings` with what
    // deleting them would really free and `keptLinks` with the marked names of files whose
    // other links stay (MarkedFiles::savings).
    void setMarks(const MarkedFiles& marks);

    // Groups of duplicates whose every copy is listed (their captions): the window warns of
    // them, and a run needs a second Yes, defaulting to No. None: nothing is added.
    void setLastCopies(const QStringList& groups);

    // A look at each file just before it is deleted or trashed (model/delete_files.h): a file
    // it refuses stays, the run goes on with the others, and when the run ends one warning
    // lists the files kept and why. None (the default): every file is attempted.
    void setCheck(FileCheck check) { check_ = std::move(check); }

    // The potential savings in bytes shown under the header; set before showing.
    qint64 savings = 0;
    // How many listed files have other links that stay, so deleting them frees no space; said
    // under the savings when above 0. Set before showing.
    qint64 keptLinks = 0;

    QFrame* Panel2;
    QLabel* lblDelete;
    QLabel* Label3;
    QLabel* lblSavings;
    // Why the savings leave out some listed files; hidden while keptLinks is 0.
    QLabel* lblKeptLinks;
    // The warning of the groups that would lose every copy; hidden when there are none.
    QLabel* lblLastCopies;
    QListWidget* lb1;
    QPushButton* btDelete;
    QPushButton* btRecycle;
    // Why the trash is not offered, beside the buttons; hidden while it is.
    QLabel* lblNoTrash;
    QLabel* Label2;
    QProgressBar* bar;
    QPushButton* btClose;

public Q_SLOTS:
    // Deletes every listed file for good after a Yes/No question.
    void btDeleteAllClick();
    // Sends every listed file to the trash after a Yes/No question.
    void btRecycleClick();
    // The counted header above the list.
    void UpdateHeaders();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The panel of the listed files with its header and the two run buttons; the warning
    // under it.
    void buildFilePanel();
    void buildWarning();
    void clearList();
    // The second question when every copy of a group is listed; true to go on. A No says
    // "Files not deleted".
    bool lastCopiesConfirmed();
    void finishRun(qint64 deletedFiles, qint64 deletedBytes, qint64 trashedFiles,
                   qint64 trashedBytes);

    QStringList paths_;
    QStringList lastCopies_;
    FileCheck check_;
};
