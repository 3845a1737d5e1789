#include "common/ui.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace {
Ui* installed = nullptr;

QWidget* dialogParent() {
    return QApplication::activeWindow();
}
} // namespace

Ui& ui() {
    static QtUi real;
    return installed ? *installed : real;
}

void setUi(Ui* seam) {
    installed = seam;
}

void QtUi::message(MessageKind kind, const QString& title, const QString& text) {
    QMessageBox::Icon icon = QMessageBox::Information;
    if (kind == MessageKind::Error)
        icon = QMessageBox::Critical;
    else if (kind == MessageKind::Warning)
        icon = QMessageBox::Warning;
    // Message texts mark line breaks with carriage returns; the box shows them as lines.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(icon, title, shown, QMessageBox::Ok, dialogParent());
    box.exec();
}

Answer QtUi::askYesNo(const QString& text) {
    const auto b = QMessageBox::question(dialogParent(), QApplication::applicationDisplayName(),
                                         text, QMessageBox::Yes | QMessageBox::No);
    return b == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

Answer QtUi::askYesNoDefaultNo(const QString& text) {
    const auto b = QMessageBox::question(dialogParent(), QApplication::applicationDisplayName(),
                                         text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return b == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

Answer QtUi::askYesNoCancel(const QString& text) {
    const auto b =
        QMessageBox::question(dialogParent(), QApplication::applicationDisplayName(), text,
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (b == QMessageBox::Yes)
        return Answer::Yes;
    return b == QMessageBox::No ? Answer::No : Answer::Cancel;
}

std::optional<QString> QtUi::inputBox(const QString& caption, const QString& prompt,
                                      const QString& value) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(dialogParent(), caption, prompt, QLineEdit::Normal, value, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

bool QtUi::printDialog(QPrinter& printer, QWidget* parent, bool offerSelection) {
    // The range of an earlier job must not carry over to one without a selection.
    printer.setPrintRange(QPrinter::AllPages);
    QPrintDialog dialog(&printer, parent ? parent : dialogParent());
    dialog.setOption(QAbstractPrintDialog::PrintSelection, offerSelection);
    return dialog.exec() == QDialog::Accepted;
}

bool QtUi::printerSetupDialog(QPrinter& printer, QWidget* parent) {
    QPageSetupDialog dialog(&printer, parent ? parent : dialogParent());
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QFont> QtUi::fontDialog(const QFont& initial, QWidget* parent, bool fixedPitchOnly) {
    bool ok = false;
    const QFontDialog::FontDialogOptions options =
        fixedPitchOnly ? QFontDialog::MonospacedFonts : QFontDialog::FontDialogOptions();
    const QFont font =
        QFontDialog::getFont(&ok, initial, parent ? parent : dialogParent(), QString(), options);
    if (!ok)
        return std::nullopt;
    return font;
}

QString QtUi::openFileDialog(QWidget* parent, const QString& caption, const QString& folder,
                             const QString& filter) {
    return QFileDialog::getOpenFileName(parent ? parent : dialogParent(), caption, folder, filter);
}

int QtUi::showModal(QDialog& dialog) {
    return dialog.exec();
}

void QtUi::setBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtUi::beep(Sound) {
    QApplication::beep();
}
