#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class TAnimated;
class TGradientBack;

// "How to contact us": the maker's address and numbers, the version, and two animated icons.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* owner = nullptr);

    TGradientBack* GradientBack1 = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel *lblProduct = nullptr, *lblMaker = nullptr, *lblAddress = nullptr;
    QLabel *lblVoice = nullptr, *lblFax = nullptr, *lblWeb = nullptr;
    QLabel *lblVersion = nullptr, *lblOther = nullptr;
    TAnimated* Animated1 = nullptr; // left: a turning disk
    TAnimated* Animated2 = nullptr; // right: a broom, played in reverse
    QPushButton* btOK = nullptr;
};
