#pragma once

#include "common/ui.h"

#include <QDialog>
#include <cstdio>

// A UI seam that never waits for a person: messages are printed, questions answered No.
class QuietUi : public Ui {
public:
    void message(MessageKind, const QString&, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    Answer askYesNo(const QString&) override { return Answer::No; }
    Answer askYesNoCancel(const QString&) override { return Answer::Cancel; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    bool printDialog(QPrinter&, QWidget*, bool) override { return false; }
    bool printerSetupDialog(QPrinter&, QWidget*) override { return false; }
    std::optional<QFont> fontDialog(const QFont&, QWidget*, bool) override { return std::nullopt; }
    QString openFileDialog(QWidget*, const QString&, const QString&, const QString&) override {
        return QString();
    }
    int showModal(QDialog&) override { return QDialog::Rejected; }
    void setBusy(bool) override {}
    void beep(Sound) override {}
};
