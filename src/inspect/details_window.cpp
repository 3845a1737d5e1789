#include "inspect/details_window.h"

#include "common/message_boxes.h"
#include "common/reports.h"
#include "common/ui.h"
#include "inspect/details_texts.h"
#include "inspect/view_window.h"
#include "platform/clock.h"
#include "platform/launcher.h"
#include "platform/native_path.h"
#include "widgets/tool_frame.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

namespace {
constexpr int clientWidth = 558;
constexpr int clientHeight = 468;
constexpr int margin = 8;
constexpr int panelWidth = clientWidth - 2 * margin;
constexpr int lineHeight = 20;
constexpr int captionWidth = 120;
constexpr int valueLeft = margin + captionWidth + 4;
constexpr int valueWidth = panelWidth - valueLeft - margin;
constexpr int buttonWidth = 88;
constexpr int buttonHeight = 30;
constexpr int buttonGap = 24;
constexpr int gapBelow = 10; // between the last control and the buttons, and below them

QFrame* makePanel(QWidget* parent, const char* object, int top, int lines) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(object));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(margin, top, panelWidth, lines * lineHeight + 10);
    return panel;
}

QLabel* makeLabel(QFrame* panel, const char* object, const QString& text, int line, bool caption) {
    auto* label = new QLabel(text, panel);
    label->setObjectName(QString::fromLatin1(object));
    // A file name is shown as it is, never read as markup.
    label->setTextFormat(Qt::PlainText);
    const int top = 5 + line * lineHeight;
    if (caption)
        label->setGeometry(margin, top, captionWidth, lineHeight);
    else
        label->setGeometry(valueLeft, top, valueWidth, lineHeight);
    return label;
}

// Shows `text` in `label`, cut in the middle with "..." when it is too wide for it; the hint and
// the accessible name hold it whole, so a screen reader reads all of it.
void showWhole(QLabel* label, const QString& text) {
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideMiddle, label->width()));
    label->setToolTip(text);
    label->setAccessibleName(text);
}

// The version lines as Memo1 shows them: each label's run of tabs (the copyright label has
// two) as one tab, so that one tab stop, just past the widest label, lines up every value.
// Returns that stop's distance from the left.
int alignVersionLines(const QStringList& lines, const QFontMetrics& fm, QStringList& shown) {
    int widest = 0;
    for (const QString& line : lines) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0) {
            shown << line;
            continue;
        }
        qsizetype value = tab;
        while (value < line.size() && line[value] == QLatin1Char('\t'))
            ++value;
        widest = std::max(widest, fm.horizontalAdvance(line.left(tab)));
        shown << line.left(tab) + QLatin1Char('\t') + line.mid(value);
    }
    return widest + fm.horizontalAdvance(QStringLiteral("  "));
}

QPushButton* makeButton(QWidget* parent, const char* object, const QString& caption,
                        const QString& hint, int index) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(object));
    button->setToolTip(hint);
    button->setAutoDefault(false);
    const int left = (clientWidth - 4 * buttonWidth - 3 * buttonGap) / 2;
    button->setGeometry(left + index * (buttonWidth + buttonGap), 0, buttonWidth, buttonHeight);
    return button;
}
} // namespace

TfrmDetails::TfrmDetails(QWidget* owner) : TFormDialog(owner, kFixedDialogFlags, Place::Centred) {
    setObjectName(QStringLiteral("frmDetails"));
    setWindowTitle(QStringLiteral("File Details"));

    Panel1 = makePanel(this, "Panel1", margin, 1);
    Label1 = makeLabel(Panel1, "Label1", QStringLiteral("Name of file:"), 0, true);
    lblFileName = makeLabel(Panel1, "lblFileName", QString(), 0, false);

    Panel6 = makePanel(this, "Panel6", Panel1->geometry().bottom() + 5, 1);
    Label2 = makeLabel(Panel6, "Label2", QStringLiteral("Type of file:"), 0, true);
    lblFileType = makeLabel(Panel6, "lblFileType", QString(), 0, false);

    Panel2 = makePanel(this, "Panel2", Panel6->geometry().bottom() + 5, 2);
    Label3 = makeLabel(Panel2, "Label3", QStringLiteral("Size:"), 0, true);
    lblSizeBytes = makeLabel(Panel2, "lblSizeBytes", QString(), 0, false);
    lblSizeK = makeLabel(Panel2, "lblSizeK", QString(), 1, false);

    Panel3 = makePanel(this, "Panel3", Panel2->geometry().bottom() + 5, 3);
    Label4 = makeLabel(Panel3, "Label4", QStringLiteral("Creation date:"), 0, true);
    Label5 = makeLabel(Panel3, "Label5", QStringLiteral("Modification date:"), 1, true);
    Label6 = makeLabel(Panel3, "Label6", QStringLiteral("Access date:"), 2, true);
    lblCreate = makeLabel(Panel3, "lblCreate", QString(), 0, false);
    lblModify = makeLabel(Panel3, "lblModify", QString(), 1, false);
    lblAccess = makeLabel(Panel3, "lblAccess", QString(), 2, false);

    Panel4 = makePanel(this, "Panel4", Panel3->geometry().bottom() + 5, 1);
    Label7 = makeLabel(Panel4, "Label7", QStringLiteral("Attributes:"), 0, true);
    lblAttributes = makeLabel(Panel4, "lblAttributes", QString(), 0, false);

    const int buttonsTop = clientHeight - gapBelow - buttonHeight;
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAccessibleName(QStringLiteral("Version information"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette face = Memo1->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    Memo1->setPalette(face);
    const int memoTop = Panel4->geometry().bottom() + 1 + margin;
    Memo1->setGeometry(margin, memoTop, panelWidth, buttonsTop - gapBelow - memoTop);

    btLaunch = makeButton(this, "btLaunch", QStringLiteral("&Run"),
                          QStringLiteral("Run/launch associated application"), 0);
    btView = makeButton(this, "btView", QStringLiteral("&View"), QStringLiteral("View file"), 1);
    btPrint = makeButton(this, "btPrint", QStringLiteral("Print"),
                         QStringLiteral("Print file details"), 2);
    btClose = makeButton(this, "btClose", QStringLiteral("Close"), QString(), 3);
    for (QPushButton* button : {btLaunch, btView, btPrint, btClose})
        button->move(button->x(), buttonsTop);
    setFixedSize(clientWidth, clientHeight);

    connect(btLaunch, &QPushButton::clicked, this, &TfrmDetails::btLaunchClick);
    connect(btView, &QPushButton::clicked, this, &TfrmDetails::btViewClick);
    connect(btPrint, &QPushButton::clicked, this, &TfrmDetails::btPrintClick);
    // Esc rejects the dialog as Close does.
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmDetails::FormShow() {
    // A file that is not found leaves the labels as they are, without a message.
    if (const auto details = readFileDetails(fileName, currentDateTime().date()))
        fill(*details);
}

void TfrmDetails::fill(const FileDetails& d) {
    version_ = d.version;
    QStringList shown;
    Memo1->setTabStopDistance(alignVersionLines(d.version, Memo1->fontMetrics(), shown));
    Memo1->setPlainText(shown.join(QLatin1Char('\n')));
    if (d.version.isEmpty()) {
        Memo1->hide();
        const int buttonsTop = Panel4->geometry().bottom() + 1 + gapBelow;
        for (QPushButton* button : {btLaunch, btView, btPrint, btClose})
            button->move(button->x(), buttonsTop);
        setFixedSize(clientWidth, buttonsTop + buttonHeight + gapBelow);
    }
    // A long path or link target is cut on screen; the printed report holds it whole.
    showWhole(lblFileType, d.fileType);
    showWhole(lblFileName, escapeForLine(d.fileName));
    // Run and View would open what a link leads to, or block on a FIFO or device: they are
    // for regular files only.
    btLaunch->setEnabled(d.regular);
    btView->setEnabled(d.regular);
    lblSizeBytes->setText(d.sizeBytes);
    lblSizeK->setText(d.sizeK);
    lblAccess->setText(d.access);
    lblCreate->setText(d.create);
    lblModify->setText(d.modify);
    lblAttributes->setText(d.attributes);
}

void TfrmDetails::btLaunchClick() {
    if (!openWithDefaultApp(fileName))
        errorBox(QStringLiteral("Couldn't run ") + fileName);
}

void TfrmDetails::btViewClick() {
    viewFile(fileName, this);
}

void TfrmDetails::btPrintClick() {
    if (!ui().printDialog(appPrinter(), this))
        return;
    FileDetails shown;
    shown.fileName = fileName;
    shown.fileType = lblFileType->text();
    shown.sizeBytes = lblSizeBytes->text();
    shown.sizeK = lblSizeK->text();
    shown.create = lblCreate->text();
    shown.modify = lblModify->text();
    shown.access = lblAccess->text();
    shown.attributes = lblAttributes->text();
    shown.version = version_;
    lb = detailsReportLines(shown);
    printListBox(lb, QStringLiteral("File details of ") + escapeForLine(fileName));
}

void showDetails(const QString& fileName, QWidget* parent) {
    TfrmDetails window(parent);
    window.fileName = fileName;
    ui().showModal(window);
}
