#pragma once

#include <QDialog>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The viewer's find dialog: a search text and its options, no behaviour of its own. One
// instance lives from start-up to the end of the program, so the text and the options carry
// over from one search, and one viewer, to the next.
class TFindDlg : public QDialog {
    Q_OBJECT
public:
    explicit TFindDlg(QWidget* parent = nullptr);

    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr; // forward, backward
    QFrame* Bevel1 = nullptr;
    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr; // match case, global search
    QPushButton *BitBtn1 = nullptr, *BitBtn2 = nullptr;   // OK, Cancel
};

// The program's find dialog. Start-up installs its instance; without one (a test, a tool run
// on its own) the first call makes one that lives to the end of the process.
TFindDlg& findDialog();
// Installs `dialog` (not owned) as the program's find dialog; nullptr removes it.
void setFindDialog(TFindDlg* dialog);
