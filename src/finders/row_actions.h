#pragma once

#include "finders/file_openers.h"
#include "model/delete_files.h"
#include "platform/dir_entry.h"

#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class ResultList;

// The actions on a finder's result rows that hand work on to others: "Run" opens the current
// row's file with its program, "View" and "Details" show it in the viewer and the details
// window, "Browse" opens the folder browser at it, "Delete" hands the marked files and their
// total to the file-deletion confirmation. Every path is the row's exact path as the window's
// records keep it (ResultList::pathOf), never one rebuilt from the shown text. The viewer,
// details and browser windows are reached through the window's openers (file_openers.h).
class RowActions {
public:
    // `openers` are the window's, read when an action runs (they may be set later).
    RowActions(QDialog& window, ResultList& marks, const FileOpeners& openers)
        : window_(window), marks_(marks), openers_(openers) {}

    // The exact path of the current row when the row is listed and a file (not a folder) is
    // there now; empty otherwise. Run acts on it.
    QString currentFile() const;
    // The same, but only when the entry there now is a regular file: never a FIFO, device,
    // socket or symbolic link. View and Details act on it, so nothing can stall on opening.
    QString currentRegularFile() const;

    // Opens currentFile() with its default program; "Couldn't run " + path when that fails.
    // Nothing happens when the row names no file.
    void Run1Click();

    // With at least one file marked: the confirmation window with the marked list and the
    // bytes deleting them would free, shown modally. Cancelled: the window stays with its rows and
    // marks. Otherwise, and at once when nothing is marked, the window closes with OK. `lastCopies`
    // names the groups of duplicates whose every copy is marked (TfrmReallyDelete::setLastCopies);
    // `check` looks at each file just before it goes (TfrmReallyDelete::setCheck).
    void btDeleteClick(const QStringList& lastCopies = {}, const FileCheck& check = {});

    // The viewer, or the details window, on currentRegularFile(); nothing when it is empty.
    void View1Click();
    void Details1Click();
    // On a listed row: the browser at the row's exact folder with the row's exact file name
    // selected and `mask` (the window's file-match pattern) as its pattern.
    void BrowseDirectory1Click(const QString& mask);

private:
    // The current row's exact path and what is there now (nullopt: nothing, or no listed row).
    std::optional<DirEntry> currentEntry(QString& path) const;

    QDialog& window_;
    ResultList& marks_;
    const FileOpeners& openers_;
};
