#pragma once

#include "common/ui.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

// A UI seam for tests: records every message, question and sound, answers questions from a
// queue (Yes when the queue is empty), and hands modal windows to a handler that the test
// sets, so a whole tool runs headless without timers. A message box or question without text
// fails the running test.
class ScriptedUi : public Ui {
public:
    using Ui::fontDialog;
    using Ui::printDialog;
    struct Message {
        MessageKind kind;
        QString title;
        QString text;
    };

    ScriptedUi();
    ~ScriptedUi() override;

    // What happened, in order.
    std::vector<Message> messages;
    QStringList questions;
    std::vector<Sound> sounds;
    int busyDepth = 0;
    int busyCalls = 0;

    // Answers for the next questions, first in first out.
    std::deque<Answer> answers;
    // Texts for the next input boxes; nullopt cancels.
    std::deque<std::optional<QString>> inputs;
    // The print dialog's answer. When `pdfPath` is set the printer writes that PDF file.
    bool printAccepted = true;
    QString pdfPath;
    // The range picked in the print dialog: Selection when the dialog offers it and this is
    // set, else All. `selectionOffered` records whether the last print dialog offered it.
    bool printSelection = false;
    bool selectionOffered = false;
    // Answer of the font and open dialogs; `fixedPitchOnly` records the last font dialog's.
    std::optional<QFont> font;
    bool fixedPitchOnly = false;
    QString openFile;
    // Called with each window shown modally; returns its result. Without a handler a modal
    // window is rejected at once.
    std::function<int(QDialog&)> onModal;
    // Called with every message as it is shown (for example to press Abort mid-scan).
    std::function<void(const Message&)> onMessage;

    // Texts of all messages, and the last one ("" when none).
    QStringList messageTexts() const;
    QString lastMessage() const;
    void clear();

    void message(MessageKind kind, const QString& title, const QString& text) override;
    Answer askYesNo(const QString& text) override;
    Answer askYesNoCancel(const QString& text) override;
    std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                    const QString& value) override;
    bool printDialog(QPrinter& printer, QWidget* parent, bool offerSelection) override;
    bool printerSetupDialog(QPrinter& printer, QWidget* parent) override;
    std::optional<QFont> fontDialog(const QFont& initial, QWidget* parent,
                                    bool fixedPitchOnly) override;
    QString openFileDialog(QWidget* parent, const QString& caption, const QString& folder,
                           const QString& filter) override;
    int showModal(QDialog& dialog) override;
    void setBusy(bool busy) override;
    void beep(Sound sound) override;

private:
    Answer nextAnswer();
};
