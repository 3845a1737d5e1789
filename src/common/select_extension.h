#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;

// A temporary-file extension as the person typed or picked it, made into a pattern.
struct ExtensionChoice {
    QString pattern; // empty: nothing to add
    QString type;
};
// "tmp", ".tmp" and "*.tmp" all give "*.tmp" with the type of ".tmp"; a text holding a "*"
// elsewhere is kept as typed. "*.*", ".*", "*" and a blank text give nothing: they would
// stand for every file.
ExtensionChoice chooseTemporaryExtension(const QString& typed);

// Asks for a new temporary-file extension. After OK the caller reads chosenPattern and
// chosenType; an empty chosenPattern means nothing is to be added.
class TfrmSelectExtension : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSelectExtension(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QComboBox* cbWildCard = nullptr;
    QLabel* lblWild = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

    QString chosenPattern;
    QString chosenType;

    // Offers the known extensions; the text typed so far stays.
    void FormShow();
    // Shows the description of the pattern in lblWild.
    void cbWildCardChange();
    // Works out chosenPattern and chosenType from the combo's text.
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
};
