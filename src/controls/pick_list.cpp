#include "controls/pick_list.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

TabStopParse parseTabStops(const QString& text) {
    TabStopParse out;
    if (text.isEmpty())
        return out;
    const auto take = [&out](const QString& token) {
        bool ok = false;
        token.toInt(&ok);
        if (!ok) {
            out.error = token + QStringLiteral(" is an invalid tab stop");
            return false;
        }
        out.stops << token;
        return true;
    };
    QString token;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u';' && i > 0) {
            if (!take(token))
                return out;
            token.clear();
        } else {
            token += text[i];
        }
    }
    take(token);
    return out;
}

std::vector<int> tabPixels(const QStringList& stops, int averageCharWidth) {
    // A stop far past any screen is kept there, at a position that text can still be drawn
    // at and moved on from without overflowing.
    constexpr qint64 kFarthest = 1 << 20;
    std::vector<int> px;
    for (const QString& s : stops) {
        const qint64 n = s.toInt();
        if (n > 0)
            px.push_back(int(std::min(n * averageCharWidth, kFarthest)));
    }
    std::sort(px.begin(), px.end());
    return px;
}

int nextTabPosition(int x, const std::vector<int>& tabs, int averageCharWidth) {
    for (int t : tabs)
        if (t > x)
            return t;
    const int step = std::max(1, 8 * averageCharWidth);
    return (x / step + 1) * step;
}

// Draws the items of a pick list in its selected style.
class PickListDelegate : public QStyledItemDelegate {
public:
    explicit PickListDelegate(TPickList* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        switch (list_->style_) {
        case TSelectedStyle::psStandard:
            paintStandard(p, option, index);
            return;
        case TSelectedStyle::psOwnerDraw:
            if (list_->OnDrawItem)
                list_->OnDrawItem(p, option, index.row());
            else
                QStyledItemDelegate::paint(p, option, index);
            return;
        case TSelectedStyle::psCheckbox:
        case TSelectedStyle::psBoldText:
            break;
        }
        const QRect r = option.rect;
        const int L = r.left(), T = r.top(), H = r.height();
        const bool selected = option.state & QStyle::State_Selected;
        // No highlight bar: the background stays the list's own.
        p->save();
        p->fillRect(r, option.palette.brush(QPalette::Base));
        p->setPen(option.palette.color(QPalette::Text));
        QFont font = option.font;
        int textLeft = L + 2;
        if (list_->style_ == TSelectedStyle::psCheckbox) {
            p->drawRect(QRect(QPoint(L + 2, T + 1), QPoint(L + H - 1, T + H - 2)));
            if (selected) {
                p->drawLine(L + 2, T + 1, L + H - 1, T + H - 2);
                p->drawLine(L + H - 1, T + 1, L + 2, T + H - 2);
            }
            textLeft = L + H + 4;
        } else {
            font.setBold(selected);
        }
        p->setFont(font);
        drawText(p, r, textLeft, index.data(Qt::DisplayRole).toString());
        if (option.state & QStyle::State_HasFocus && index.row() == list_->currentRow()) {
            QStyleOptionFocusRect focus;
            focus.rect = r;
            focus.palette = option.palette;
            focus.backgroundColor = option.palette.color(QPalette::Base);
            list_->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, p, list_);
        }
        p->restore();
    }

    // The text from x = textLeft, each tab moving on to the next tab position.
    void drawText(QPainter* p, const QRect& r, int textLeft, const QString& text) const {
        const int L = r.left(), T = r.top(), H = r.height();
        const QFontMetrics fm(p->font());
        // Tab stops count from the list's left edge, measured in the list's own font.
        const int avg = list_->fontMetrics().averageCharWidth();
        if (!list_->useTabStops_) {
            p->drawText(QRect(textLeft, T, std::max(0, r.right() - textLeft), H),
                        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
            return;
        }
        const std::vector<int> tabs = tabPixels(list_->stops_, avg);
        int x = textLeft;
        const QStringList parts = text.split(u'\t');
        for (qsizetype i = 0; i < parts.size(); ++i) {
            if (i > 0)
                x = L + nextTabPosition(x - L, tabs, avg);
            p->drawText(QRect(x, T, std::max(0, r.right() - x), H),
                        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, parts[i]);
            x += fm.horizontalAdvance(parts[i]);
        }
    }

    // The platform's item drawing (its highlight bar and focus frame), with the text laid out
    // at the list's tab stops when it uses them.
    void paintStandard(QPainter* p, const QStyleOptionViewItem& option,
                       const QModelIndex& index) const {
        if (!list_->useTabStops_ || list_->stops_.isEmpty()) {
            QStyledItemDelegate::paint(p, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* w = opt.widget;
        QStyle* style = w ? w->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, p, w);
        p->save();
        const bool selected = opt.state & QStyle::State_Selected;
        p->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        p->setFont(opt.font);
        drawText(p, opt.rect, opt.rect.left() + 3, text);
        p->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (list_->style_ == TSelectedStyle::psStandard)
            return QStyledItemDelegate::sizeHint(option, index);
        // A fixed item height; the width of the text is what scrolls.
        QFont bold = list_->font();
        bold.setBold(true);
        const QFontMetrics fm(bold);
        return QSize(fm.horizontalAdvance(index.data().toString()) + 64, fm.height() + 2);
    }

    // The drawn box is not the platform's check indicator: a click selects, as anywhere on
    // the item, and never toggles a check state of its own.
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        if (list_->style_ == TSelectedStyle::psCheckbox ||
            list_->style_ == TSelectedStyle::psBoldText)
            return false;
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }

private:
    TPickList* list_;
};

TPickList::TPickList(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new PickListDelegate(this));
    setUniformItemSizes(true);
    connect(this, &QAbstractItemView::clicked, this, &TPickList::Click);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TPickList::syncCheckStates);
}

void TPickList::setUseTabStops(bool use) {
    if (use == useTabStops_)
        return;
    useTabStops_ = use;
    viewport()->update();
}

void TPickList::setSelectedStyle(TSelectedStyle style) {
    if (style == style_)
        return;
    style_ = style;
    syncCheckStates();
    doItemsLayout();
    viewport()->update();
}

void TPickList::setTabStops(const QString& text) {
    const TabStopParse parsed = parseTabStops(text);
    stops_ = parsed.stops;
    if (text.isEmpty())
        return;
    viewport()->update();
    if (!parsed.error.isEmpty())
        throw TabStopError(parsed.error);
}

int TPickList::add(const QString& text) {
    int row = count();
    if (Sorted) {
        // The first item that sorts after the new one, without regard to case.
        int lo = 0, hi = count();
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (QString::compare(item(mid)->text(), text, Qt::CaseInsensitive) <= 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        row = lo;
    }
    insertItem(row, text);
    if (style_ == TSelectedStyle::psCheckbox || style_ == TSelectedStyle::psBoldText)
        item(row)->setData(Qt::CheckStateRole, int(Qt::Unchecked));
    return row;
}

QStringList TPickList::texts() const {
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out << item(i)->text();
    return out;
}

QStringList TPickList::selectedTexts() const {
    QStringList out;
    for (int i = 0; i < count(); ++i)
        if (item(i)->isSelected())
            out << item(i)->text();
    return out;
}

void TPickList::setMultiSelect(bool multi) {
    setSelectionMode(multi ? QAbstractItemView::ExtendedSelection
                           : QAbstractItemView::SingleSelection);
}

void TPickList::Click() {
    if (currentRow() == lastIndex_)
        return;
    lastIndex_ = currentRow();
    Q_EMIT OnChange();
}

void TPickList::keyReleaseEvent(QKeyEvent* event) {
    QListWidget::keyReleaseEvent(event);
    Click();
}

void TPickList::syncCheckStates() {
    // Screen readers read the check state: in the drawn styles it says which items are
    // selected. The platform's drawing has its own selection and shows no box.
    const bool drawn = style_ == TSelectedStyle::psCheckbox || style_ == TSelectedStyle::psBoldText;
    for (int i = 0; i < count(); ++i) {
        QListWidgetItem* it = item(i);
        const QVariant state =
            drawn ? QVariant(int(it->isSelected() ? Qt::Checked : Qt::Unchecked)) : QVariant();
        if (it->data(Qt::CheckStateRole) != state)
            it->setData(Qt::CheckStateRole, state);
    }
}
