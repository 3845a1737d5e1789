#pragma once

#include "common/form_dialog.h"

#include <QString>

class FileViewer;
class QAction;
class QFrame;
class QHeaderView;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QStandardItemModel;
class TWinPlace;

// The viewer window: one file shown read-only as text or as a hex dump in the file-viewer
// control, with a status line, search, go to line, printing, copying and the way into the
// strings window. The control does the reading and drawing; the window holds the menus, the
// dialogs and the status line.
class TfrmView : public TFormDialog {
    Q_OBJECT
public:
    explicit TfrmView(QWidget* parent = nullptr);
    ~TfrmView() override;

    // The file the opener gives before showing: shown first, named in the title, and the file
    // whose strings the strings button lists.
    QString fileName;

    // Opens `path` in the control; a failure is shown in the error box and leaves no file
    // shown. Runs the Search and Clipboard menu rules.
    bool openFile(const QString& path);
    // Section `i` of the status line.
    QString statusSection(int i) const;

    // Controls.
    FileViewer* Viewer1 = nullptr;
    QFrame* Panel1 = nullptr;
    QRadioButton *rbAscii = nullptr, *rbHex = nullptr;
    QPushButton *btFont = nullptr, *btPrint = nullptr, *BitBtn1 = nullptr, *btStrings = nullptr,
                *btClose = nullptr;
    QHeaderView* Header1 = nullptr;
    TWinPlace* WinPlace1 = nullptr;

    // Menus and their items.
    QMenuBar* MainMenu1 = nullptr;
    QMenu* File1 = nullptr;
    QAction *Open1 = nullptr, *Print1 = nullptr, *Printsetup1 = nullptr, *Exit1 = nullptr;
    QMenu* Clipboard1 = nullptr;
    QAction *Copy1 = nullptr, *Selectall1 = nullptr;
    QMenu* Search1 = nullptr;
    QAction *Find1 = nullptr, *Findnext1 = nullptr, *Gotoline1 = nullptr;
    QMenu* Options1 = nullptr;
    QAction *HexMode1 = nullptr, *Tabexpansion1 = nullptr, *Tabsize1 = nullptr, *Font1 = nullptr;

public Q_SLOTS:
    void Open1Click();
    void Print1Click();
    void Printsetup1Click();
    void Copy1Click();
    void Selectall1Click();
    void Find1Click();
    void Findnext1Click();
    void Gotoline1Click();
    void HexMode1Click();
    void Tabexpansion1Click();
    void Tabsize1Click();
    void Font1Click();
    void btStringsClick();
    void Viewer1ShowStatus();
    // The menu rules: which items are enabled, from the control's state.
    void File1Click();
    void Clipboard1Click();
    void Search1Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The button panel under the viewer, and the status line under it.
    void buildPanel();
    void buildStatusLine();
    void buildMenu();
    void FormShow() override;
    void FormResize();
    void setHexMode(bool on);
    // Searches with the find dialog's text; "not found" goes to the information box.
    void search(bool global);

    QStandardItemModel* headerModel_ = nullptr;
};

// Opens the file viewer on `fileName` modally, as every opener does: the window is made,
// shown and destroyed when it closes.
void viewFile(const QString& fileName, QWidget* parent = nullptr);
