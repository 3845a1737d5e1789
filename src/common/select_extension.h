#pragma once

#include "common/pattern_dialog.h"

#include <QString>

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
class TfrmSelectExtension : public TPatternDialog {
    Q_OBJECT
public:
    explicit TfrmSelectExtension(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr; // the prompt

    QString chosenPattern;
    QString chosenType;

    // Shows the description of the pattern in lblWild.
    void cbWildCardChange();
    // Works out chosenPattern and chosenType from the combo's text.
    void BitBtn1Click();

protected:
    void describePattern() override { cbWildCardChange(); }
};
