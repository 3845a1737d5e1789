#include "common/pattern_dialog.h"

#include "common/locations.h"
#include "common/screen_centre.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TPatternDialog::TPatternDialog(QWidget* parent, const QString& prompt) : QDialog(parent) {
    prompt_ = new QLabel(prompt, this);

    cbWildCard = new QComboBox(this);
    cbWildCard->setObjectName(QStringLiteral("cbWildCard"));
    cbWildCard->setEditable(true);
    cbWildCard->setInsertPolicy(QComboBox::NoInsert);
    cbWildCard->setToolTip(tr("Wildcard pattern for matching file types"));
    cbWildCard->setEditText(QStringLiteral("*.*"));
    prompt_->setBuddy(cbWildCard);
    connect(cbWildCard, &QComboBox::editTextChanged, this, [this] { describePattern(); });

    lblWild = new QLabel(tr("All files"), this);
    lblWild->setObjectName(QStringLiteral("lblWild"));

    BitBtn1 = new QPushButton(tr("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(tr("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addStretch(1);
    lines_ = new QVBoxLayout;
    lines_->setContentsMargins(0, 0, 0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt_);
    layout->addWidget(cbWildCard);
    layout->addWidget(lblWild);
    layout->addLayout(lines_);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

void TPatternDialog::addLine(QWidget* line) {
    lines_->addWidget(line);
}

void TPatternDialog::FormShow() {
    fillPatternCombo(cbWildCard);
    describePattern();
}

void TPatternDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
        centreOnScreen(this);
    }
}
