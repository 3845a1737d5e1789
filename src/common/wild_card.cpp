#include "common/wild_card.h"

#include "common/locations.h"
#include "common/screen_centre.h"
#include "platform/file_types.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TfrmWildCard::TfrmWildCard(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmWildCard"));
    setWindowTitle(tr("Wildcard pattern"));
    resize(286, 182);

    Label3 = new QLabel(tr("Change the wildcard matching pattern:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));

    cbWildCard = new QComboBox(this);
    cbWildCard->setObjectName(QStringLiteral("cbWildCard"));
    cbWildCard->setEditable(true);
    cbWildCard->setInsertPolicy(QComboBox::NoInsert);
    cbWildCard->setToolTip(tr("Wildcard pattern for matching file types"));
    cbWildCard->setAccessibleName(Label3->text());
    cbWildCard->setEditText(QStringLiteral("*.*"));
    Label3->setBuddy(cbWildCard);

    lblWild = new QLabel(tr("All files"), this);
    lblWild->setObjectName(QStringLiteral("lblWild"));
    lblType = new QLabel(this);
    lblType->setObjectName(QStringLiteral("lblType"));
    lblType->setAlignment(Qt::AlignCenter);

    BitBtn1 = new QPushButton(tr("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(tr("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    connect(cbWildCard, &QComboBox::editTextChanged, this, &TfrmWildCard::cbWildCardClick);
    connect(cbWildCard, &QComboBox::activated, this, &TfrmWildCard::cbWildCardClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label3);
    layout->addWidget(cbWildCard);
    layout->addWidget(lblWild);
    layout->addWidget(lblType);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

void TfrmWildCard::FormShow() {
    fillPatternCombo(cbWildCard);
    cbWildCardClick();
}

void TfrmWildCard::cbWildCardClick() {
    const QString pattern = cbWildCard->currentText();
    lblWild->clear();
    if (pattern == QLatin1String("*.*"))
        lblWild->setText(tr("All files"));
    lblType->setText(extensionToType(pattern.mid(1)));
}

void TfrmWildCard::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
        centreOnScreen(this);
    }
}
