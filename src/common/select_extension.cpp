#include "common/select_extension.h"

#include "common/locations.h"
#include "platform/file_types.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

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

TfrmSelectExtension::TfrmSelectExtension(QWidget* parent)
    : TPatternDialog(parent,
                     tr("Type in a new file extension or select one from the list below:")) {
    setObjectName(QStringLiteral("frmSelectExtension"));
    setWindowTitle(tr("Select a temporary file extension"));
    resize(327, 169);

    Label1 = prompt();
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    cbWildCard->setMaxVisibleItems(14);
    cbWildCard->setAccessibleName(tr("File extension"));

    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        BitBtn1Click();
        accept();
    });
}

void TfrmSelectExtension::cbWildCardChange() {
    lblWild->setText(patternDescription(cbWildCard->currentText()));
}

void TfrmSelectExtension::BitBtn1Click() {
    const ExtensionChoice choice = chooseTemporaryExtension(cbWildCard->currentText());
    chosenPattern = choice.pattern;
    chosenType = choice.type;
}
