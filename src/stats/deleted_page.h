#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// "Deleted": the running totals of the files deleted and sent to the recycle bin, read from
// the settings file, and the button that resets them.
class DeletedPage : public QWidget {
public:
    DeletedPage();

    // Reads the totals; a missing, negative or unreadable figure reads "n/a".
    void showFilesDeleted();
    // Resets the totals once the person agrees.
    void Button1Click();

    // Deleted and recycled, a line a row of the page: the files and their bytes.
    QLineEdit *edNdelete = nullptr, *edSzDelete = nullptr;
    QLineEdit *edNWaste = nullptr, *edSzWaste = nullptr;
    QLabel* lblSince1 = nullptr;
    QPushButton* Button1 = nullptr;
};
