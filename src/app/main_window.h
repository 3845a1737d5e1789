#pragma once

#include "common/ui.h"

#include <QDialog>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QFrame;
class QLabel;
class QPushButton;
class TGradientBack;
class TfrmHelp;

// The maker's name, shown in the main window's caption and the About window.
QString makerName();

// The help document that the program names: "zelkova.hlp" beside the program file
// `programFile` (the folder keeps exactly one "/" before the name).
QString helpFileBeside(const QString& programFile);
// The help document the program opens: the one beside the program file (the build tree)
// when it is there, else "../share/zelkova/zelkova.hlp" from the program's folder (an
// installed tree, wherever it was moved) when that one is; else the one beside.
QString findHelpFile(const QString& programFile);

// The seven tool buttons of the main window, top to bottom.
enum class ToolButton { Duplicate, FileHog, Files, DirHogs, Clean, Statistic, Browse };

// Creates `Window` with `owner` as its owner, shows it modally through the UI seam and
// destroys it when the modal loop returns, also when that ends by an exception.
template <class Window> void openModalWindow(QWidget* owner) {
    const auto window = std::make_unique<Window>(owner);
    ui().showModal(*window);
}

// The main window: a launcher of the tools, with About, Help and Exit. Closing it ends the
// program.
class TfrmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);

    // Enables the tool button `which` and makes its click call `open`. Until a tool's window
    // is plugged in this way its button stays disabled.
    void setToolOpener(ToolButton which, std::function<void()> open);
    // Plugs in a tool window that is opened modally, afresh for every click.
    template <class Window> void setModalTool(ToolButton which) {
        setToolOpener(which, [this] { openModalWindow<Window>(this); });
    }

    QPushButton* toolButton(ToolButton which) const;
    QLabel* toolLabel(ToolButton which) const;
    QFrame* toolPanel(ToolButton which) const;

    // Fills lb1 with the search-path folders (defined beside the search-path list).
    void GetSearchPath();
    // The search-path folder list; the one list that the record builders consult.
    QStringList& lb1;

    // The help window once Help has been pressed (nullptr before, and after it is closed).
    TfrmHelp* helpWindow() const;

    TGradientBack* GradientBack1 = nullptr;
    // The seven tools' buttons, then About, Help and Exit.
    QPushButton *btDuplicate = nullptr, *btFileHog = nullptr, *btFiles = nullptr,
                *btDirHogs = nullptr, *btClean = nullptr, *btStatistic = nullptr,
                *btBrowse = nullptr;
    QPushButton *btReach = nullptr, *btHelp = nullptr, *btClose = nullptr;

public Q_SLOTS:
    void btDuplicateClick();
    void btFileHogClick();
    void btFilesClick();
    void btDirHogsClick();
    void btCleanClick();
    void btStatisticClick();
    void btBrowseClick();
    void btReachClick();
    void btHelpClick();
    void btCloseClick();

Q_SIGNALS:
    // The window was closed: the program ends.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Tool {
        QFrame* panel = nullptr;
        QPushButton* button = nullptr;
        QLabel* label = nullptr;
        std::function<void()> open;
    };

    // The seven tool panels (button and label) and the About, Help and Exit buttons.
    void buildToolPanels();
    void buildSmallButtons();
    void FormShow();
    void openTool(ToolButton which);

    std::array<Tool, 7> tools_;
};

// Turns the application's hints on: aqua hint windows that wake up after 1000 ms.
void applyHintSettings();
