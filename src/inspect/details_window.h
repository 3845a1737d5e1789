#pragma once

#include "common/form_dialog.h"

#include <QString>
#include <QStringList>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
struct FileDetails;

// "File Details": name, type, size with its cluster waste, the three dates with their ages,
// the attributes and a program's version information, with buttons to run the file, view it
// and print the details.
class TfrmDetails : public TFormDialog {
    Q_OBJECT
public:
    explicit TfrmDetails(QWidget* owner = nullptr);

    QString fileName; // the full path, set by the opener before showing

    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblFileName = nullptr;
    QFrame* Panel6 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblFileType = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblSizeBytes = nullptr;
    QLabel* lblSizeK = nullptr;
    QFrame* Panel3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* lblCreate = nullptr;
    QLabel* lblModify = nullptr;
    QLabel* lblAccess = nullptr;
    QFrame* Panel4 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* lblAttributes = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* btLaunch = nullptr;
    QPushButton* btView = nullptr;
    QPushButton* btPrint = nullptr;
    QPushButton* btClose = nullptr;
    QStringList lb; // the report lines for printing

    // Fills the window from the file; called when the window is shown.
    void FormShow() override;
    void btLaunchClick();
    void btViewClick();
    void btPrintClick();

    // The version lines, as read and printed; Memo1 shows them with their values lined up.
    const QStringList& memoLines() const { return version_; }

private:
    void fill(const FileDetails& details);
    QStringList version_;
};

// Opens the details window on `fileName` modally, as every opener does: the window is made,
// shown and destroyed when it closes.
void showDetails(const QString& fileName, QWidget* parent = nullptr);
