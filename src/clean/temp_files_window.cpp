#include "clean/temp_files_window.h"

#include "clean/temp_extensions.h"
#include "common/message_boxes.h"
#include "common/profile.h"
#include "common/select_extension.h"
#include "common/ui.h"
#include "controls/pick_list.h"
#include "widgets/push_button.h"
#include "widgets/tool_frame.h"

#include <QLabel>
#include <QPushButton>

namespace {
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
} // namespace

TfrmTempFiles::TfrmTempFiles(QWidget* parent)
    : TFormDialog(parent, kFixedDialogFlags, Place::Centred) {
    setObjectName(QStringLiteral("frmTempFiles"));
    setWindowTitle(QStringLiteral("Temporary file extensions"));
    setFixedSize(470, 340);

    Label1 = new QLabel(QStringLiteral("Temporary extensions and file types"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setGeometry(8, 6, 360, 18);

    PickList1 = new TPickList(this);
    PickList1->setObjectName(QStringLiteral("PickList1"));
    PickList1->setToolTip(QStringLiteral("List of temporary file extensions and types"));
    PickList1->setAccessibleName(QStringLiteral("Temporary extensions and file types"));
    PickList1->setSelectedStyle(TSelectedStyle::psStandard);
    PickList1->setMultiSelect(false);
    PickList1->Sorted = true;
    PickList1->setTabStops(QStringLiteral("16"));
    PickList1->setGeometry(8, 26, 360, 190);
    Label1->setBuddy(PickList1);

    btAdd = makePushButton(this, "btAdd", QStringLiteral("&Add"),
                           QStringLiteral("Add a file extension to this list"), kButtonWidth,
                           kButtonHeight);
    btDelete =
        makePushButton(this, "btDelete", QStringLiteral("&Delete"),
                       QStringLiteral("Delete a file extension"), kButtonWidth, kButtonHeight);
    btClear = makePushButton(this, "btClear", QStringLiteral("&Clear all"),
                             QStringLiteral("Clear all extensions"), kButtonWidth, kButtonHeight);
    btDefaults = makePushButton(this, "btDefaults", QStringLiteral("D&efaults"),
                                QStringLiteral("Inserts some default temporary file extensions"),
                                kButtonWidth, kButtonHeight);
    btClose = makePushButton(this, "btClose", QStringLiteral("Close"),
                             QStringLiteral("Close window"), kButtonWidth, kButtonHeight);
    int top = 26;
    for (QPushButton* b : {btAdd, btDelete, btClear, btDefaults}) {
        b->move(376, top);
        top += b->height() + 6;
    }
    btClose->move(376, 216 - btClose->height());

    Label2 = new QLabel(
        QStringLiteral("Some common temporary file extensions are .TMP, .TEMP, .$$$, .OLD and "
                       ".BAK.  It is your responsibility to ensure that you have selected the "
                       "proper extensions for file deletion."),
        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    Label2->setGeometry(8, 222, 454, 54);
    Label3 = new QLabel(
        QStringLiteral(".FTS files may deleted if you're really short of space.  They are "
                       "Windows help file searching add-ons.  They can be re-generated as "
                       "needed."),
        this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    Label3->setGeometry(8, 278, 454, 54);

    connect(btAdd, &QPushButton::clicked, this, &TfrmTempFiles::btAddClick);
    connect(btDelete, &QPushButton::clicked, this, &TfrmTempFiles::btDeleteClick);
    connect(btClear, &QPushButton::clicked, this, &TfrmTempFiles::btClearClick);
    connect(btDefaults, &QPushButton::clicked, this, &TfrmTempFiles::btDefaultsClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmTempFiles::FormShow() {
    PickList1->clear();
    for (const QString& entry : ReadInFromDisk(IniFileName))
        PickList1->add(entry);
}

void TfrmTempFiles::done(int result) {
    // Closing always saves: the Close button, Esc and the title bar alike.
    if (formShown())
        WriteOutToDisk();
    QDialog::done(result);
}

void TfrmTempFiles::WriteOutToDisk() {
    try {
        ::WriteOutToDisk(PickList1->texts(), IniFileName);
    } catch (const ProfileWriteError& e) {
        errorBox(e.message());
    }
}

void TfrmTempFiles::addEntry(const QString& entry) {
    QStringList held = PickList1->texts();
    if (addTempEntry(held, entry))
        PickList1->add(entry);
}

void TfrmTempFiles::btAddClick() {
    TfrmSelectExtension dlg(this);
    if (ui().showModal(dlg) != QDialog::Accepted || dlg.chosenPattern.isEmpty())
        return;
    addEntry(dlg.chosenPattern + u'\t' + dlg.chosenType);
}

void TfrmTempFiles::btDeleteClick() {
    const QList<QListWidgetItem*> selected = PickList1->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = PickList1->row(selected.first());
    delete PickList1->takeItem(row);
    PickList1->clearSelection();
    // The entry that followed takes the place, and the selection.
    if (row < PickList1->count()) {
        PickList1->setCurrentRow(row);
        PickList1->item(row)->setSelected(true);
    }
}

void TfrmTempFiles::btClearClick() {
    if (ui().askYesNoCancel(QStringLiteral("Really clear out all extensions?")) == Answer::Yes)
        PickList1->clear();
}

void TfrmTempFiles::btDefaultsClick() {
    for (const QString& entry : defaultTempEntries())
        addEntry(entry);
}
