#include "common/wild_card.h"

#include "platform/file_types.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

TfrmWildCard::TfrmWildCard(QWidget* parent)
    : TPatternDialog(parent, tr("Change the wildcard matching pattern:")) {
    setObjectName(QStringLiteral("frmWildCard"));
    setWindowTitle(tr("Wildcard pattern"));
    resize(286, 182);

    Label3 = prompt();
    Label3->setObjectName(QStringLiteral("Label3"));
    cbWildCard->setAccessibleName(Label3->text());
    lblType = new QLabel(this);
    lblType->setObjectName(QStringLiteral("lblType"));
    lblType->setAlignment(Qt::AlignCenter);
    addLine(lblType);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(cbWildCard, &QComboBox::activated, this, &TfrmWildCard::cbWildCardClick);
}

void TfrmWildCard::cbWildCardClick() {
    const QString pattern = cbWildCard->currentText();
    lblWild->clear();
    if (pattern == QLatin1String("*.*"))
        lblWild->setText(tr("All files"));
    lblType->setText(extensionToType(pattern.mid(1)));
}
