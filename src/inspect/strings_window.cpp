#include "inspect/strings_window.h"

#include "common/message_boxes.h"
#include "common/screen_centre.h"
#include "common/ui.h"
#include "common/win_place.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kPanelHeight = 41;
// How often the listing lets the window handle its events.
constexpr qint64 kPumpMilliseconds = 20;
} // namespace

int StringListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

QVariant StringListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shown_)
        return {};
    return list_.text(size_t(index.row()));
}

void StringListModel::showAdded() {
    // A view takes int rows: a list beyond that shows its first 2^31 - 1 strings.
    const int count = int(qMin<size_t>(list_.count(), size_t(INT_MAX)));
    if (count <= shown_)
        return;
    beginInsertRows({}, shown_, count - 1);
    shown_ = count;
    endInsertRows();
}

void StringListModel::showNone() {
    beginResetModel();
    shown_ = 0;
    endResetModel();
}

TfrmStrings::TfrmStrings(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmStrings"));
    setWindowTitle(QStringLiteral("Strings for file: "));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    resize(455, 328);

    model_ = new StringListModel(list_, this);
    Memo1 = new QListView(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAccessibleName(QStringLiteral("Strings"));
    Memo1->setModel(model_);
    Memo1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Memo1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Every row is one line of at most 101 characters: equal heights keep millions fast.
    Memo1->setUniformItemSizes(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    Panel1 = new QFrame(this);
    Panel1->setFixedHeight(kPanelHeight);
    Label1 = new QLabel(QStringLiteral("Number of ASCII lines found : "), Panel1);
    Label1->adjustSize();
    Label1->move(8, (kPanelHeight - Label1->height()) / 2);
    lblCount = new QLabel(Panel1);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    lblCount->setGeometry(Label1->x() + Label1->width() + 4, Label1->y(), 120, Label1->height());
    Label1->setBuddy(lblCount);
    btClose = new QPushButton(QStringLiteral("Close"), Panel1);
    btClose->setObjectName(QStringLiteral("btClose"));
    btClose->resize(75, 25);
    btClose->setAutoDefault(false);
    connect(btClose, &QPushButton::clicked, this, &TfrmStrings::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Memo1, 1);
    layout->addWidget(Panel1);

    WinPlace1 = new TWinPlace(this);
    WinPlace1->IniFileName = QStringLiteral("zelkova.ini");
    WinPlace1->Identifier = QStringLiteral("frmStrings");
    if (WinPlace1->storedValue().isEmpty())
        centreOnScreen(this);
}

TfrmStrings::~TfrmStrings() {
    WinPlace1->savePlacement();
    delete WinPlace1;
}

void TfrmStrings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TfrmStrings::FormShow() {
    listStrings();
    // A stored placement wins over the position the viewer gave.
    WinPlace1->restorePlacement();
}

void TfrmStrings::listStrings() {
    BusyCursor busy;
    extracting_ = true;
    stopRequested_ = false;
    model_->showNone();
    // The window stays live: on the first block and then every few milliseconds it shows the
    // count so far and handles its events, Esc and Close among them. The view lays out all its
    // rows again whenever rows are added, so the list shows the new rows only once they are
    // as many as the rows shown: all those layouts together cost about two of the last.
    QElapsedTimer sincePump;
    const auto goOn = [&] {
        if (!sincePump.isValid() || sincePump.elapsed() >= kPumpMilliseconds) {
            if (list_.count() >= 2 * size_t(model_->rowCount()))
                model_->showAdded();
            lblCount->setText(QString::number(list_.count()));
            QCoreApplication::processEvents();
            sincePump.start();
        }
        return !stopRequested_;
    };
    const ExtractResult result = extractStrings(fileName, list_, goOn);
    extracting_ = false;
    if (result == ExtractResult::CouldNotOpen)
        errorBox(couldNotOpenText(fileName));
    model_->showAdded();
    lblCount->setText(QString::number(list_.count()));
}

void TfrmStrings::reject() {
    if (extracting_) {
        stopRequested_ = true;
        return;
    }
    QDialog::reject();
}

void TfrmStrings::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    btClose->move(width() - btClose->width() - 10, (kPanelHeight - btClose->height()) / 2);
}
