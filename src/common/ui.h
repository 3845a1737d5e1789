#pragma once

#include <QFont>
#include <QString>
#include <optional>

class QDialog;
class QPrinter;
class QWidget;

// The one seam through which the program talks to the person at the screen: message boxes,
// questions, input boxes, the standard dialogs, modal windows, the busy cursor and alert
// sounds. The program installs QtUi; tests install a scripted version that records every
// message and answers every question, so whole tools run headless.
enum class MessageKind { Error, Warning, Information };
enum class Answer { Yes, No, Cancel };
enum class Sound { Exclamation, CriticalStop };

class Ui {
public:
    virtual ~Ui() = default;

    // A modal box with one OK button and the given title.
    virtual void message(MessageKind kind, const QString& title, const QString& text) = 0;
    // Yes/No question (a confirmation box); returns Yes or No.
    virtual Answer askYesNo(const QString& text) = 0;
    // A Yes/No question whose default button is No, for a step that cannot be undone: Enter
    // or a hasty click on the default keeps everything. A seam without its own asks askYesNo.
    virtual Answer askYesNoDefaultNo(const QString& text) { return askYesNo(text); }
    // Yes/No/Cancel question.
    virtual Answer askYesNoCancel(const QString& text) = 0;
    // A line of text; nullopt when the person cancels.
    virtual std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                            const QString& value) = 0;
    // The print dialog; true when the person confirms. The chosen printer (or PDF file) is
    // left configured in `printer`, and so is the chosen range: printer.printRange() is
    // QPrinter::Selection only when `offerSelection` let the person pick it, else AllPages.
    virtual bool printDialog(QPrinter& printer, QWidget* parent, bool offerSelection) = 0;
    bool printDialog(QPrinter& printer, QWidget* parent) {
        return printDialog(printer, parent, false);
    }
    virtual bool printerSetupDialog(QPrinter& printer, QWidget* parent) = 0;
    // The font dialog; with `fixedPitchOnly` it lists only fonts whose letters are all as wide.
    virtual std::optional<QFont> fontDialog(const QFont& initial, QWidget* parent,
                                            bool fixedPitchOnly) = 0;
    std::optional<QFont> fontDialog(const QFont& initial, QWidget* parent) {
        return fontDialog(initial, parent, false);
    }
    // A file to open; an empty text when the person cancels.
    virtual QString openFileDialog(QWidget* parent, const QString& caption, const QString& folder,
                                   const QString& filter) = 0;
    // Shows a window modally and returns its result (QDialog::Accepted or Rejected).
    virtual int showModal(QDialog& dialog) = 0;
    // The hourglass cursor over the whole application; calls nest.
    virtual void setBusy(bool busy) = 0;
    virtual void beep(Sound sound) = 0;
};

// The installed seam. QtUi is installed when none was set.
Ui& ui();
// Installs `seam` (not owned); nullptr restores the real dialogs.
void setUi(Ui* seam);

// The real dialogs of the desktop.
class QtUi : public Ui {
public:
    using Ui::fontDialog;
    using Ui::printDialog;
    void message(MessageKind kind, const QString& title, const QString& text) override;
    Answer askYesNo(const QString& text) override;
    Answer askYesNoDefaultNo(const QString& text) override;
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
};

// Shows the busy cursor for the lifetime of the object.
class BusyCursor {
public:
    BusyCursor() { ui().setBusy(true); }
    ~BusyCursor() { ui().setBusy(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
