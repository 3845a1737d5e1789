#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

// A small window that asks for a file-match pattern: a prompt over an editable box of the
// known extensions (cbWildCard, "*.*" at first), a description of the pattern under it
// (lblWild, "All files" at first), and OK (BitBtn1, the default) and Cancel (BitBtn2) at the
// foot. When shown it offers the known extensions, keeping the text typed so far, describes
// the pattern and stands in the middle of the screen.
class TPatternDialog : public QDialog {
    Q_OBJECT
public:
    QComboBox* cbWildCard = nullptr;
    QLabel* lblWild = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

    // Offers the known extensions (the pattern already typed stays) and describes it.
    void FormShow();

protected:
    TPatternDialog(QWidget* parent, const QString& prompt);
    // The label above the box.
    QLabel* prompt() const { return prompt_; }
    // Puts a line of the window's own under the description.
    void addLine(QWidget* line);
    // Describes the box's pattern; runs on every edit and when the window is shown.
    virtual void describePattern() = 0;
    void showEvent(QShowEvent* event) override;

private:
    QLabel* prompt_ = nullptr;
    QVBoxLayout* lines_ = nullptr;
};
