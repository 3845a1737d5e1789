#include "support/scripted_ui.h"

#include <QDialog>
#include <QPrinter>
#include <gtest/gtest.h>

namespace {
// A box or question that says nothing is a fault wherever it comes from, so every test that
// runs the program's windows checks for one.
void expectWords(const char* what, const QString& text) {
    if (text.trimmed().isEmpty())
        ADD_FAILURE() << "an empty " << what << " was shown";
}
} // namespace

ScriptedUi::ScriptedUi() {
    setUi(this);
}

ScriptedUi::~ScriptedUi() {
    setUi(nullptr);
}

QStringList ScriptedUi::messageTexts() const {
    QStringList texts;
    for (const auto& m : messages)
        texts << m.text;
    return texts;
}

QString ScriptedUi::lastMessage() const {
    return messages.empty() ? QString() : messages.back().text;
}

void ScriptedUi::clear() {
    messages.clear();
    questions.clear();
    sounds.clear();
}

void ScriptedUi::message(MessageKind kind, const QString& title, const QString& text) {
    expectWords("message box", text);
    messages.push_back({kind, title, text});
    if (onMessage)
        onMessage(messages.back());
}

Answer ScriptedUi::nextAnswer() {
    if (answers.empty())
        return Answer::Yes;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

Answer ScriptedUi::askYesNo(const QString& text) {
    expectWords("question", text);
    questions << text;
    const Answer a = nextAnswer();
    return a == Answer::Yes ? Answer::Yes : Answer::No;
}

Answer ScriptedUi::askYesNoCancel(const QString& text) {
    expectWords("question", text);
    questions << text;
    return nextAnswer();
}

std::optional<QString> ScriptedUi::inputBox(const QString&, const QString& prompt,
                                            const QString& value) {
    questions << prompt;
    if (inputs.empty())
        return value;
    auto v = inputs.front();
    inputs.pop_front();
    return v;
}

bool ScriptedUi::printDialog(QPrinter& printer, QWidget*, bool offerSelection) {
    selectionOffered = offerSelection;
    printer.setPrintRange(offerSelection && printSelection ? QPrinter::Selection
                                                           : QPrinter::AllPages);
    if (!pdfPath.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
    }
    return printAccepted;
}

bool ScriptedUi::printerSetupDialog(QPrinter&, QWidget*) {
    return printAccepted;
}

std::optional<QFont> ScriptedUi::fontDialog(const QFont&, QWidget*, bool fixedPitchOnly) {
    this->fixedPitchOnly = fixedPitchOnly;
    return font;
}

QString ScriptedUi::openFileDialog(QWidget*, const QString&, const QString&, const QString&) {
    return openFile;
}

int ScriptedUi::showModal(QDialog& dialog) {
    if (!onModal)
        return QDialog::Rejected;
    return onModal(dialog);
}

void ScriptedUi::setBusy(bool busy) {
    busyDepth += busy ? 1 : -1;
    if (busy)
        ++busyCalls;
}

void ScriptedUi::beep(Sound sound) {
    sounds.push_back(sound);
}
