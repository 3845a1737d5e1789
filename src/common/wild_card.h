#pragma once

#include "common/pattern_dialog.h"

// Asks for the file-match pattern of the folder browser's file list. The caller puts its
// current pattern into cbWildCard before showing the window and reads it back after OK.
class TfrmWildCard : public TPatternDialog {
    Q_OBJECT
public:
    explicit TfrmWildCard(QWidget* parent = nullptr);

    QLabel* Label3 = nullptr; // the prompt
    QLabel* lblType = nullptr;

    // Describes the pattern: "All files" for "*.*", and the type it matches.
    void cbWildCardClick();

protected:
    void describePattern() override { cbWildCardClick(); }
};
