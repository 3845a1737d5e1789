#include "inspect/view_window.h"

#include "common/message_boxes.h"
#include "common/number_text.h"
#include "common/reports.h"
#include "common/ui.h"
#include "common/win_place.h"
#include "inspect/dropped_file.h"
#include "inspect/find_dialog.h"
#include "inspect/print_lines.h"
#include "inspect/strings_window.h"
#include "widgets/file_viewer.h"
#include "widgets/push_button.h"
#include "widgets/status_strip.h"

#include <QAction>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace {
const QString kUriList = QStringLiteral("text/uri-list");
// Every file: on Linux "*.*" would pass over the many names without a dot.
const QString kOpenFilter = QStringLiteral("All Files (*)");
constexpr int kPanelHeight = 33;
constexpr int kStatusSections = 5;

void searchNotFound(const QString& text) {
    infoBox(QStringLiteral("Search string '") + text + QStringLiteral("' not found"));
}

// The status line's last section: the work the viewer does in the background, if any.
QString workText(const FileViewer& viewer) {
    switch (viewer.work()) {
    case FileViewer::Work::Counting:
        return QStringLiteral("Counting lines: %1 % (Esc stops)").arg(viewer.workPercent());
    case FileViewer::Work::Searching:
        return QStringLiteral("Searching: %1 % (Esc stops)").arg(viewer.workPercent());
    case FileViewer::Work::None:
        break;
    }
    return QStringLiteral(" ");
}

} // namespace

TfrmView::TfrmView(QWidget* parent) : TFormDialog(parent) {
    setObjectName(QStringLiteral("frmView"));
    setWindowTitle(QStringLiteral("View file"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    resize(600, 400);

    Viewer1 = new FileViewer(this);
    Viewer1->setObjectName(QStringLiteral("Viewer1"));
    Viewer1->setFrameShape(QFrame::NoFrame);

    buildPanel();
    buildStatusLine();
    buildMenu();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(Viewer1, 1);
    layout->addWidget(Panel1);
    layout->addWidget(Header1);

    connect(Viewer1, &FileViewer::showStatus, this, &TfrmView::Viewer1ShowStatus);
    connect(Viewer1, &FileViewer::searchDone, this, [](const QString& text, bool found) {
        if (!found)
            searchNotFound(text);
    });
    connect(rbAscii, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setHexMode(false);
    });
    connect(rbHex, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setHexMode(true);
    });
    connect(btFont, &QPushButton::clicked, this, &TfrmView::Font1Click);
    connect(btPrint, &QPushButton::clicked, this, &TfrmView::Printsetup1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmView::Print1Click);
    connect(btStrings, &QPushButton::clicked, this, &TfrmView::btStringsClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);

    Tabexpansion1->setChecked(Viewer1->expandTabs());
    setAcceptDrops(true);

    WinPlace1 = makeWinPlace(this, QStringLiteral("frmView"));
}

TfrmView::~TfrmView() {
    WinPlace1->savePlacement();
    delete WinPlace1;
}

void TfrmView::buildPanel() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(kPanelHeight);
    rbAscii = new QRadioButton(QStringLiteral("&ASCII"), Panel1);
    rbHex = new QRadioButton(QStringLiteral("&Hex"), Panel1);
    rbAscii->setChecked(true);
    rbAscii->adjustSize();
    rbHex->adjustSize();
    rbAscii->move(8, (kPanelHeight - rbAscii->height()) / 2);
    rbHex->move(rbAscii->x() + rbAscii->width() + 10, rbAscii->y());
    btFont = makePushButton(Panel1, "btFont", QStringLiteral("Fo&nt"));
    btPrint = makePushButton(Panel1, "btPrint", QStringLiteral("P&rint setup"));
    BitBtn1 = makePushButton(Panel1, "BitBtn1", QStringLiteral("&Print"));
    btStrings = makePushButton(Panel1, "btStrings", QStringLiteral("&View ASCII strings"));
    btStrings->setToolTip(QStringLiteral("Peek inside file for ASCII strings"));
    btClose = makePushButton(Panel1, "btClose", QStringLiteral("Close"));
}

void TfrmView::buildStatusLine() {
    // The status line: a strip of five sections (caret, total, top line, bytes, a spare one).
    headerModel_ = new QStandardItemModel(0, kStatusSections, this);
    Header1 = new StatusStrip(this);
    Header1->setObjectName(QStringLiteral("Header1"));
    Header1->setAccessibleName(QStringLiteral("Status"));
    Header1->setModel(headerModel_);
    Header1->setSectionsClickable(false);
    Header1->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int sectionWidths[kStatusSections] = {90, 150, 100, 150, 10};
    for (int i = 0; i < kStatusSections; ++i)
        Header1->resizeSection(i, sectionWidths[i]);
    Header1->setStretchLastSection(true);
    Header1->setFixedHeight(Header1->fontMetrics().height() + 8);
    const QString designTexts[kStatusSections] = {QStringLiteral(" "), QStringLiteral("Total:"),
                                                  QStringLiteral("Top:"), QStringLiteral("Bytes:"),
                                                  QStringLiteral(" ")};
    for (int i = 0; i < kStatusSections; ++i)
        headerModel_->setHeaderData(i, Qt::Horizontal, designTexts[i]);
}

void TfrmView::buildMenu() {
    MainMenu1 = new QMenuBar(this);
    auto item = [this](QMenu* menu, const char* name, const QString& caption,
                       void (TfrmView::*slot)(), const QKeySequence& key = {}) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    File1 = MainMenu1->addMenu(QStringLiteral("&File"));
    Open1 = item(File1, "Open1", QStringLiteral("&Open..."), &TfrmView::Open1Click);
    Print1 = item(File1, "Print1", QStringLiteral("&Print..."), &TfrmView::Print1Click);
    Printsetup1 =
        item(File1, "Printsetup1", QStringLiteral("P&rint setup..."), &TfrmView::Printsetup1Click);
    File1->addSeparator();
    Exit1 = File1->addAction(QStringLiteral("E&xit"));
    Exit1->setObjectName(QStringLiteral("Exit1"));
    Exit1->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(Exit1, &QAction::triggered, this, &QDialog::reject);

    Clipboard1 = MainMenu1->addMenu(QStringLiteral("&Clipboard"));
    Copy1 = item(Clipboard1, "Copy1", QStringLiteral("&Copy"), &TfrmView::Copy1Click,
                 QKeySequence(Qt::CTRL | Qt::Key_Insert));
    Selectall1 =
        item(Clipboard1, "Selectall1", QStringLiteral("&Select all"), &TfrmView::Selectall1Click);

    Search1 = MainMenu1->addMenu(QStringLiteral("&Search"));
    Find1 = item(Search1, "Find1", QStringLiteral("&Find..."), &TfrmView::Find1Click);
    Findnext1 = item(Search1, "Findnext1", QStringLiteral("Find &next"), &TfrmView::Findnext1Click,
                     QKeySequence(Qt::Key_F3));
    Gotoline1 = item(Search1, "Gotoline1", QStringLiteral("&Go to line..."),
                     &TfrmView::Gotoline1Click, QKeySequence(Qt::Key_F4));

    Options1 = MainMenu1->addMenu(QStringLiteral("&Options"));
    HexMode1 = item(Options1, "HexMode1", QStringLiteral("&Hex Mode"), &TfrmView::HexMode1Click,
                    QKeySequence(Qt::Key_F8));
    HexMode1->setCheckable(true);
    Tabexpansion1 = item(Options1, "Tabexpansion1", QStringLiteral("&Tab expansion"),
                         &TfrmView::Tabexpansion1Click);
    Tabexpansion1->setCheckable(true);
    Tabsize1 = item(Options1, "Tabsize1", QStringLiteral("Tab si&ze..."), &TfrmView::Tabsize1Click);
    Font1 = item(Options1, "Font1", QStringLiteral("&Font..."), &TfrmView::Font1Click);

    for (QAction* a : {Print1, Copy1, Selectall1, Find1, Findnext1, Gotoline1})
        a->setEnabled(false);
    connect(File1, &QMenu::aboutToShow, this, &TfrmView::File1Click);
    connect(Clipboard1, &QMenu::aboutToShow, this, &TfrmView::Clipboard1Click);
    connect(Search1, &QMenu::aboutToShow, this, &TfrmView::Search1Click);
}

// ---- showing, layout

void TfrmView::FormShow() {
    openFile(fileName);
    setWindowTitle(QStringLiteral("View File : ") + fileName);
    Viewer1->setFocus();
    WinPlace1->restorePlacement();
}

void TfrmView::keyPressEvent(QKeyEvent* event) {
    // Esc stops the viewer's work first (wherever the focus is), and closes the window after.
    if (event->key() == Qt::Key_Escape && Viewer1->stopWork())
        return;
    QDialog::keyPressEvent(event);
}

void TfrmView::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TfrmView::FormResize() {
    // Close keeps 15 pixels from the right edge; the other buttons follow leftwards, 5 apart.
    // The panel spans the window, so its width is the window's even before the layout runs.
    const int top = (kPanelHeight - btClose->height()) / 2;
    int left = width() - btClose->width() - 15;
    btClose->move(left, top);
    for (QPushButton* b : {btStrings, BitBtn1, btPrint, btFont}) {
        left -= b->width() + 5;
        b->move(left, top);
    }
}

// ---- file, status, menu rules

bool TfrmView::openFile(const QString& path) {
    Viewer1->setFileName(path);
    const QString error = Viewer1->open();
    if (!error.isEmpty())
        errorBox(error);
    else if (Viewer1->shownInPart())
        infoBox(QStringLiteral("Only the first %1 MB of this file are shown: the system gives no "
                               "size for it, so it is read into memory when opened.")
                    .arg(FileViewModel::kSizelessFileLimit >> 20));
    File1Click();
    Search1Click();
    Clipboard1Click();
    return error.isEmpty();
}

QString TfrmView::statusSection(int i) const {
    return headerModel_->headerData(i, Qt::Horizontal).toString();
}

void TfrmView::Viewer1ShowStatus() {
    const FileViewer::Position caret = Viewer1->caret();
    const std::int64_t count = Viewer1->lineCount();
    const QString texts[kStatusSections] = {
        (QString::number(caret.line + 1) + u':' + QString::number(caret.column + 1))
            .leftJustified(8, u' '),
        QStringLiteral("Total: ") +
            (count == FileViewer::kUncounted ? QStringLiteral("?") : formatThousands(count)),
        QStringLiteral("Top: ") + QString::number(Viewer1->topLine() + 1).leftJustified(5, u' '),
        QStringLiteral("Bytes: ") + formatThousands(Viewer1->fileSize()),
        workText(*Viewer1),
    };
    for (int i = 0; i < kStatusSections; ++i)
        headerModel_->setHeaderData(i, Qt::Horizontal, texts[i]);
    Clipboard1Click();
}

void TfrmView::File1Click() {
    Print1->setEnabled(Viewer1->lineCount() > 0);
}

void TfrmView::Clipboard1Click() {
    Selectall1->setEnabled(Viewer1->lineCount() > 0);
    Copy1->setEnabled(Viewer1->hasSelection());
}

void TfrmView::Search1Click() {
    const bool lines = Viewer1->lineCount() > 0;
    Find1->setEnabled(lines);
    Gotoline1->setEnabled(lines);
    Findnext1->setEnabled(lines && !findDialog().Edit1->text().isEmpty());
}

// ---- File menu

void TfrmView::Open1Click() {
    const QString path = ui().openFileDialog(this, QStringLiteral("Open"), QString(), kOpenFilter);
    if (path.isEmpty())
        return;
    if (openFile(path))
        setWindowTitle(QStringLiteral("View File : ") + path);
}

void TfrmView::Print1Click() {
    const bool selectionShown = Viewer1->hasSelection();
    QPrinter& printer = appPrinter();
    if (!ui().printDialog(printer, this, selectionShown))
        return;
    const QFont font = Viewer1->fixedFont();
    if (selectionShown && printer.printRange() == QPrinter::Selection) {
        const FileViewer::Selection s = Viewer1->selection();
        const LineSpan span{s.start.line, s.start.column, s.end.line, s.end.column};
        printTextLines(
            span.endLine - span.startLine + 1,
            [&](qint64 i) {
                const std::int64_t line = span.startLine + i;
                return selectionPrintLine(Viewer1->lineText(line), line, span);
            },
            font);
        return;
    }
    if (Viewer1->lineCount() == FileViewer::kUncounted)
        Viewer1->countAllLines();
    printTextLines(
        Viewer1->lineCount(), [this](qint64 i) { return Viewer1->lineText(i); }, font);
}

void TfrmView::Printsetup1Click() {
    ui().printerSetupDialog(appPrinter(), this);
}

// ---- Clipboard menu

void TfrmView::Copy1Click() {
    if (Viewer1->copy() == FileViewer::CopyResult::TooLarge)
        infoBox(QStringLiteral("The selection is too large to copy: the clipboard takes at most "
                               "%1 MB of the file. Select less and copy again.")
                    .arg(FileViewer::kCopyLimit / (1024 * 1024)));
}

void TfrmView::Selectall1Click() {
    Viewer1->selectAll();
}

// ---- Search menu

void TfrmView::search(bool global) {
    const TFindDlg& dialog = findDialog();
    const QString text = dialog.Edit1->text();
    FileViewer::SearchOptions options;
    options.backward = dialog.RadioButton2->isChecked();
    options.matchCase = dialog.CheckBox1->isChecked();
    options.global = global && dialog.CheckBox2->isChecked();
    // A search that goes on in the background says "not found" when it ends.
    if (Viewer1->search(text, options) == FileViewer::SearchResult::NotFound)
        searchNotFound(text);
}

void TfrmView::Find1Click() {
    if (ui().showModal(findDialog()) != QDialog::Accepted)
        return;
    search(true);
    Search1Click();
}

void TfrmView::Findnext1Click() {
    // Never global: the search goes on from the caret, which the last match left behind it.
    search(false);
}

void TfrmView::Gotoline1Click() {
    const std::int64_t count = Viewer1->lineCount();
    // While the lines are still being counted the prompt shows "?" as the status line does.
    const QString last =
        count == FileViewer::kUncounted ? QStringLiteral("?") : QString::number(count);
    const auto answer =
        ui().inputBox(QStringLiteral("Go to line number"),
                      QStringLiteral("Enter line number (1 to ") + last + u')', QString());
    if (!answer)
        return;
    bool ok = false;
    const qlonglong n = answer->trimmed().toLongLong(&ok);
    if (!ok)
        return;
    // The control takes any line below the first as the first; n - 1 must not overflow.
    Viewer1->goTo(n < 1 ? -1 : n - 1, 0);
}

// ---- Options menu

void TfrmView::setHexMode(bool on) {
    HexMode1->setChecked(on);
    rbHex->setChecked(on);
    rbAscii->setChecked(!on);
    if (Viewer1->inHexMode() == on)
        return;
    Viewer1->setInHexMode(on);
    File1Click();
    Search1Click();
    Clipboard1Click();
}

void TfrmView::HexMode1Click() {
    setHexMode(HexMode1->isChecked());
}

void TfrmView::Tabexpansion1Click() {
    Viewer1->setExpandTabs(Tabexpansion1->isChecked());
    Viewer1->viewport()->update();
}

void TfrmView::Tabsize1Click() {
    const auto answer = ui().inputBox(QStringLiteral("Tab Size"), QStringLiteral("Enter tab size"),
                                      QString::number(Viewer1->tabSize()));
    if (!answer)
        return;
    bool ok = false;
    const int size = answer->trimmed().toInt(&ok);
    if (ok && size >= 1 && size <= 255) {
        Viewer1->setTabSize(size);
        Viewer1->viewport()->update();
    }
}

void TfrmView::Font1Click() {
    if (const auto font = ui().fontDialog(Viewer1->fixedFont(), this, true))
        Viewer1->setFixedFont(*font);
}

// ---- strings, drops

void TfrmView::btStringsClick() {
    // The strings of the file on screen, which File > Open or a drop may have changed.
    const QString shown = Viewer1->isOpen() ? Viewer1->fileName() : fileName;
    TfrmStrings strings(this);
    strings.setWindowTitle(QStringLiteral("ASCII strings for : ") + shown);
    strings.fileName = shown;
    strings.setGeometry(geometry());
    ui().showModal(strings);
}

void TfrmView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(kUriList))
        event->acceptProposedAction();
}

void TfrmView::dropEvent(QDropEvent* event) {
    // Only the first local file of the drop; the title keeps naming the file the opener gave.
    const QString path = droppedFilePath(event->mimeData()->data(kUriList));
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    openFile(path);
    if (isMinimized()) {
        showNormal();
    } else {
        raise();
        activateWindow();
    }
}

void viewFile(const QString& fileName, QWidget* parent) {
    TfrmView window(parent);
    window.fileName = fileName;
    ui().showModal(window);
}
