#include "common/select_extension.h"

#include "common/locations.h"
#include "common/screen_centre.h"
#include "platform/file_types.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

ExtensionChoice chooseTemporaryExtension(const QString& typed) {
    ExtensionChoice choice;
    const QString t = typed;
    if (t.trimmed().isEmpty() || t == QLatin1String("*.*") || t == QLatin1String(".*") ||
        t == QLatin1String("*"))
        return choice;
    choice.pattern = t;
    if (!t.startsWith(QLatin1String("*."))) {
        const bool star = t.contains(QLatin1Char('*'));
        const bool dot = t.contains(QLatin1Char('.'));
        if (!star && !dot)
            choice.pattern = QStringLiteral("*.") + t;
        else if (dot && !star)
            choice.pattern = QLatin1Char('*') + t;
    }
    const qsizetype dot = choice.pattern.lastIndexOf(QLatin1Char('.'));
    choice.type = extensionToType(dot < 0 ? QString() : choice.pattern.mid(dot));
    return choice;
}

TfrmSelectExtension::TfrmSelectExtension(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSelectExtension"));
    setWindowTitle(tr("Select a temporary file extension"));
    resize(327, 169);

    Label1 =
        new QLabel(tr("Type in a new file extension or select one from the list below:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);

    cbWildCard = new QComboBox(this);
    cbWildCard->setObjectName(QStringLiteral("cbWildCard"));
    cbWildCard->setEditable(true);
    cbWildCard->setInsertPolicy(QComboBox::NoInsert);
    cbWildCard->setMaxVisibleItems(14);
    cbWildCard->setToolTip(tr("Wildcard pattern for matching file types"));
    cbWildCard->setAccessibleName(tr("File extension"));
    cbWildCard->setEditText(QStringLiteral("*.*"));
    Label1->setBuddy(cbWildCard);

    lblWild = new QLabel(tr("All files"), this);
    lblWild->setObjectName(QStringLiteral("lblWild"));

    BitBtn1 = new QPushButton(tr("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(tr("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        BitBtn1Click();
        accept();
    });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbWildCard, &QComboBox::editTextChanged, this, &TfrmSelectExtension::cbWildCardChange);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(cbWildCard);
    layout->addWidget(lblWild);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

void TfrmSelectExtension::FormShow() {
    fillPatternCombo(cbWildCard);
    cbWildCardChange();
}

void TfrmSelectExtension::cbWildCardChange() {
    lblWild->setText(patternDescription(cbWildCard->currentText()));
}

void TfrmSelectExtension::BitBtn1Click() {
    const ExtensionChoice choice = chooseTemporaryExtension(cbWildCard->currentText());
    chosenPattern = choice.pattern;
    chosenType = choice.type;
}

void TfrmSelectExtension::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
        centreOnScreen(this);
    }
}
