#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// Asks for the file-match pattern of the folder browser's file list. The caller puts its
// current pattern into cbWildCard before showing the window and reads it back after OK.
class TfrmWildCard : public QDialog {
    Q_OBJECT
public:
    explicit TfrmWildCard(QWidget* parent = nullptr);

    QLabel* Label3 = nullptr;
    QComboBox* cbWildCard = nullptr;
    QLabel* lblWild = nullptr;
    QLabel* lblType = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

    // Offers the known extensions (the pattern already typed stays) and describes it.
    void FormShow();
    // Describes the pattern: "All files" for "*.*", and the type it matches.
    void cbWildCardClick();

protected:
    void showEvent(QShowEvent* event) override;
};
