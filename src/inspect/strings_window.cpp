#include "inspect/strings_window.h"

#include "common/message_boxes.h"
#include "common/ui.h"
#include "common/win_place.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

namespace {
constexpr int kPanelHeight = 41;
// How often the listing lets the window handle its events.
constexpr qint64 kPumpMilliseconds = 20;

// The length of the first line of `rest` when a line holds `columns` characters. The line
// ends after its last blank; a blank just past the last column still ends it, as blanks at
// the end of a line take no room.
size_t firstLineLength(std::string_view rest, size_t columns) {
    if (rest.size() <= columns)
        return rest.size();
    const size_t blank = rest.substr(0, columns + 1).rfind(' ');
    return blank != std::string_view::npos && blank > 0 ? blank + 1 : columns;
}

// The widest character a string can hold (letters, digits and the blank), so that a line of
// `columns` characters fits even where the font is not of fixed pitch.
int widestStringCharacter(const QFontMetrics& fm) {
    int widest = fm.horizontalAdvance(QLatin1Char(' '));
    for (const char* range : {"AZ", "az", "09"})
        for (char c = range[0]; c <= range[1]; ++c)
            widest = std::max(widest, fm.horizontalAdvance(QLatin1Char(c)));
    return widest;
}
} // namespace

QString wrappedString(std::string_view text, int columns, QChar separator) {
    const size_t width = size_t(std::max(columns, 1));
    QString out;
    out.reserve(qsizetype(text.size() + text.size() / width));
    while (!text.empty()) {
        const size_t n = firstLineLength(text, width);
        if (!out.isEmpty())
            out += separator;
        out += QLatin1String(text.data(), qsizetype(n));
        text.remove_prefix(n);
    }
    return out;
}

int wrappedLineCount(std::string_view text, int columns) {
    const size_t width = size_t(std::max(columns, 1));
    int lines = 0;
    do {
        text.remove_prefix(firstLineLength(text, width));
        ++lines;
    } while (!text.empty());
    return lines;
}

// Draws a row's string in lines of the view's columns. The height of a row of n lines is
// measured by the style once, for the first row of that many lines, and taken for every other.
class WrappedStringDelegate : public QStyledItemDelegate {
public:
    WrappedStringDelegate(const StringListModel* model, QObject* parent)
        : QStyledItemDelegate(parent), model_(model) {}

    void setColumns(int columns, int characterWidth) {
        columns_ = columns;
        characterWidth_ = characterWidth;
    }
    void forgetHeights() { heights_.clear(); }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const std::string_view text = model_->bytes(index.row());
        const size_t lines = size_t(wrappedLineCount(text, columns_));
        if (heights_.size() <= lines)
            heights_.resize(lines + 1, -1);
        if (heights_[lines] < 0)
            heights_[lines] = QStyledItemDelegate::sizeHint(option, index).height();
        const int shown = int(std::min(text.size(), size_t(columns_)));
        return {shown * characterWidth_, heights_[lines]};
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        // The style draws a line separator as a line break, and never a line feed.
        option->text = wrappedString(model_->bytes(index.row()), columns_, QChar::LineSeparator);
    }

private:
    const StringListModel* model_;
    int columns_ = 1;
    int characterWidth_ = 1;
    mutable std::vector<int> heights_; // by number of lines; -1 until measured
};

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
    for (int row = shown_; row < count; ++row)
        longest_ = std::max(longest_, bytes(row).size());
    beginInsertRows({}, shown_, count - 1);
    shown_ = count;
    endInsertRows();
}

void StringListModel::showNone() {
    beginResetModel();
    shown_ = 0;
    longest_ = 0;
    endResetModel();
}

StringsView::StringsView(StringListModel* model, QWidget* parent)
    : QListView(parent), model_(model), delegate_(new WrappedStringDelegate(model, this)) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setModel(model);
    setItemDelegate(delegate_);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    fitRows();
}

int StringsView::columns() const {
    // The style keeps a margin on either side of an item's text.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int room = viewport()->width() - 2 * margin - 1;
    return std::max(1, room / widestStringCharacter(fontMetrics()));
}

void StringsView::fitRows() {
    const int n = columns();
    // One height for all rows while no string needs a second line.
    const bool uniform = model_->longest() <= size_t(n);
    if (n == columns_ && uniform == uniformItemSizes())
        return; // the rows as they are laid out still fit
    columns_ = n;
    delegate_->setColumns(n, widestStringCharacter(fontMetrics()));
    setUniformItemSizes(uniform);
    scheduleDelayedItemsLayout();
}

void StringsView::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    fitRows();
}

void StringsView::changeEvent(QEvent* event) {
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        delegate_->forgetHeights();
        columns_ = 0;
        fitRows();
    }
}

TfrmStrings::TfrmStrings(QWidget* parent) : TFormDialog(parent) {
    setObjectName(QStringLiteral("frmStrings"));
    setWindowTitle(QStringLiteral("Strings for file: "));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    resize(455, 328);

    model_ = new StringListModel(list_, this);
    Memo1 = new StringsView(model_, this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAccessibleName(QStringLiteral("Strings"));
    Memo1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Memo1->setSelectionMode(QAbstractItemView::ExtendedSelection);

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

    WinPlace1 = makeWinPlace(this, QStringLiteral("frmStrings"));
}

TfrmStrings::~TfrmStrings() {
    WinPlace1->savePlacement();
    delete WinPlace1;
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
            if (list_.count() >= 2 * size_t(model_->rowCount())) {
                model_->showAdded();
                Memo1->fitRows();
            }
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
    Memo1->fitRows();
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
