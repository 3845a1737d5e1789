#include "inspect/find_dialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
TFindDlg* installed = nullptr;
} // namespace

TFindDlg::TFindDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FindDlg"));
    setWindowTitle(QStringLiteral("Find"));
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);

    GroupBox1 = new QGroupBox(QStringLiteral("&Search Text"), this);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setAccessibleName(QStringLiteral("Search Text"));
    auto* textLayout = new QVBoxLayout(GroupBox1);
    textLayout->addWidget(Edit1);

    GroupBox2 = new QGroupBox(QStringLiteral("Search &Options"), this);
    RadioButton1 = new QRadioButton(QStringLiteral("Search &Forward"), GroupBox2);
    RadioButton2 = new QRadioButton(QStringLiteral("Search &Backward"), GroupBox2);
    RadioButton1->setChecked(true);
    Bevel1 = new QFrame(GroupBox2);
    Bevel1->setFrameShape(QFrame::VLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    CheckBox1 = new QCheckBox(QStringLiteral("&Match Case"), GroupBox2);
    CheckBox2 = new QCheckBox(QStringLiteral("&Global Search"), GroupBox2);
    auto* directions = new QVBoxLayout;
    directions->addWidget(RadioButton1);
    directions->addWidget(RadioButton2);
    auto* checks = new QVBoxLayout;
    checks->addWidget(CheckBox1);
    checks->addWidget(CheckBox2);
    auto* options = new QHBoxLayout(GroupBox2);
    options->addLayout(directions);
    options->addWidget(Bevel1);
    options->addLayout(checks);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox2);
    layout->addLayout(buttons);
    // The design size, widened where this desktop's bold font needs more room.
    setFixedSize(sizeHint().expandedTo(QSize(311, 209)));
}

TFindDlg& findDialog() {
    if (!installed)
        installed = new TFindDlg; // no owner: kept to the end of the process
    return *installed;
}

void setFindDialog(TFindDlg* dialog) {
    installed = dialog;
}
