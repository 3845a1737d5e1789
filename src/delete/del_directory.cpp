#include "delete/del_directory.h"
#include "common/screen_centre.h"

#include "common/ui.h"
#include "model/delete_files.h"
#include "platform/trash.h"
#include "widgets/push_button.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QString recycleText() {
    return QStringLiteral("All files sent to the Windows 95 recycle bin which can be emptied "
                          "later. Files may be recovered.  Hard disk space is not freed up until "
                          "recycle bin is emptied..");
}

// A button of one of the three rows, all of one width.
QPushButton* makeButton(const QString& text, const QString& hint, QStyle::StandardPixmap icon,
                        QWidget* parent) {
    QPushButton* button = makeIconButton(parent, text, hint, icon);
    button->setFixedWidth(190);
    return button;
}

QLabel* makeLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

// One raised frame with its button on the left and the explanation on the right.
QFrame* makeRow(QWidget* parent, QPushButton* button, QLabel* label) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Raised);
    auto* row = new QHBoxLayout(frame);
    button->setParent(frame);
    label->setParent(frame);
    row->addWidget(button);
    row->addWidget(label, 1);
    return frame;
}

} // namespace

TfrmDelDirectory::TfrmDelDirectory(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Delete directory, sub-directories and all files"));
    setFixedSize(518, 266);

    Label2 = new QLabel(QStringLiteral("Folder to delete:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    lblDirectory = new QLabel(this);
    lblDirectory->setObjectName(QStringLiteral("lblDirectory"));
    // A folder name is never markup, and a long path wraps rather than being cut.
    lblDirectory->setTextFormat(Qt::PlainText);
    lblDirectory->setWordWrap(true);
    lblDirectory->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);
    lblDirectory->setFont(bold);

    btDelete = makeButton(QStringLiteral("&Delete folder"),
                          QStringLiteral("Delete the files shown above.  Cannot be undeleted."),
                          QStyle::SP_DialogDiscardButton, this);
    btDelete->setObjectName(QStringLiteral("btDelete"));
    Label1 = makeLabel(QStringLiteral("All files and sub-folders are deleted.  Files cannot be "
                                      "recovered.  Hard disk space immediately freed up."),
                       this);
    Label1->setObjectName(QStringLiteral("Label1"));
    btRecycle = makeButton(
        QStringLiteral("&Send files to recycle bin"),
        QStringLiteral(
            "Send to recycle bin.  Recycle bin can be emptied later.  Files can be recovered."),
        QStyle::SP_TrashIcon, this);
    btRecycle->setObjectName(QStringLiteral("btRecycle"));
    Label3 = makeLabel(recycleText(), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    BitBtn3 = makeButton(QStringLiteral("Cancel"), QStringLiteral("Cancel. Do not delete."),
                         QStyle::SP_DialogCancelButton, this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    Label4 = makeLabel(QStringLiteral("Cancel delete operation."), this);
    Label4->setObjectName(QStringLiteral("Label4"));

    Bevel1 = makeRow(this, btDelete, Label1);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel2 = makeRow(this, btRecycle, Label3);
    Bevel2->setObjectName(QStringLiteral("Bevel2"));
    Bevel3 = makeRow(this, BitBtn3, Label4);
    Bevel3->setObjectName(QStringLiteral("Bevel3"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label2);
    layout->addWidget(lblDirectory);
    layout->addStretch();
    layout->addWidget(Bevel1);
    layout->addWidget(Bevel2);
    layout->addWidget(Bevel3);

    connect(btDelete, &QPushButton::clicked, this, &TfrmDelDirectory::btDeleteClick);
    connect(btRecycle, &QPushButton::clicked, this, &TfrmDelDirectory::btRecycleClick);
    connect(BitBtn3, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmDelDirectory::setDirectory(const QString& path) {
    lblDirectory->setText(path);
}

QString TfrmDelDirectory::directory() const {
    return lblDirectory->text();
}

void TfrmDelDirectory::showEvent(QShowEvent* event) {
    recycle = false;
    // Where the folder's file system has no usable trash, only deletion for good is offered,
    // and the trash's row says why.
    QString why;
    const bool usable = trashUsable(directory(), &why);
    btRecycle->setEnabled(usable);
    Label3->setText(usable ? recycleText() : noTrashText(why));
    centreOnScreen(this);
    QDialog::showEvent(event);
}

void TfrmDelDirectory::btDeleteClick() {
    recycle = false;
    accept();
}

void TfrmDelDirectory::btRecycleClick() {
    if (ui().askYesNo(recycleBinQuestion()) == Answer::Yes) {
        recycle = true;
        accept();
    } else {
        recycle = false;
    }
}

std::optional<bool> askDeleteDirectory(QWidget* owner, const QString& path) {
    TfrmDelDirectory dlg(owner);
    dlg.setDirectory(path);
    if (ui().showModal(dlg) != QDialog::Accepted)
        return std::nullopt;
    return dlg.recycle;
}
