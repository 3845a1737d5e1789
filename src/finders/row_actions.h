#pragma once

#include <QString>

class QDialog;
class ResultList;

// The actions on a finder's result rows that hand work on to others: "Run" opens the current
// row's file with its program, "Delete" hands the marked files and their total to the
// file-deletion confirmation. Every path is the row's exact path as the window's records
// keep it (ResultList::pathOf), never one rebuilt from the shown text.
class RowActions {
public:
    RowActions(QDialog& window, ResultList& marks) : window_(window), marks_(marks) {}

    // The exact path of the current row when the row is listed and a file (not a folder) is
    // there now; empty otherwise. Run, View and Details act on it.
    QString currentFile() const;

    // Opens currentFile() with its default program; "Couldn't run " + path when that fails.
    // Nothing happens when the row names no file.
    void Run1Click();

    // With at least one file marked: the confirmation window with the marked list and the
    // marked total, shown modally. Cancelled: the window stays with its rows and marks.
    // Otherwise, and at once when nothing is marked, the window closes with OK.
    void btDeleteClick();

private:
    QDialog& window_;
    ResultList& marks_;
};
