#pragma once

#include <QListWidget>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

class QPainter;
class QStyleOptionViewItem;

// How a pick list draws its items: the platform's own drawing, a drawn check box with a cross
// for each selected item, selected items in bold, or the owner's drawing handler.
enum class TSelectedStyle { psStandard, psCheckbox, psBoldText, psOwnerDraw };

// The result of reading a tab-stop text such as "10;20;30": the stops read, and the error of
// the first token that is not a whole number ("" when every token is one). The stops before
// the failing token are kept.
struct TabStopParse {
    QStringList stops;
    QString error;
};
// Tokens end at ";" (a ";" that opens the text belongs to the first token); each token,
// the last one too, must be a whole number, else the error is the token followed by
// " is an invalid tab stop". An empty text gives no stops and no error.
TabStopParse parseTabStops(const QString& text);

// Raised when a tab-stop text holds a token that is not a whole number.
class TabStopError : public std::runtime_error {
public:
    explicit TabStopError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    QString message() const { return message_; }

private:
    QString message_;
};

// The tab positions in pixels, from the list's left edge: each stop times the average
// character width. Stops that are not positive are left out.
std::vector<int> tabPixels(const QStringList& stops, int averageCharWidth);
// The x of the text that follows a tab at `x` (from the list's left edge): the first tab
// position past x, else the next multiple of eight average characters.
int nextTabPosition(int x, const std::vector<int>& tabs, int averageCharWidth);

// A list box that marks its selected items with a drawn check box (or in bold) instead of a
// highlight bar, and lays each item's text out in columns at tab stops. Screen readers read
// an item's selection as its checked state.
class TPickList : public QListWidget {
    Q_OBJECT
public:
    explicit TPickList(QWidget* parent = nullptr);

    bool UseTabStops() const { return useTabStops_; }
    void setUseTabStops(bool use);
    TSelectedStyle SelectedStyle() const { return style_; }
    void setSelectedStyle(TSelectedStyle style);
    // The stops joined by ";", no ";" at the end; "" when there are none.
    QString TabStops() const { return stops_.join(u';'); }
    // Reads the stops (parseTabStops) and redraws. Throws TabStopError for a token that is
    // not a whole number; the stops read before it stay. An empty text clears the stops
    // without a redraw.
    void setTabStops(const QString& text);
    const QStringList& tabStopList() const { return stops_; }

    // Whether items added with add() are kept in order, without regard to case.
    bool Sorted = false;
    // Adds an item (in its sorted place when Sorted); returns its row.
    int add(const QString& text);
    // The texts of all items, and of the selected ones, in list order.
    QStringList texts() const;
    QStringList selectedTexts() const;
    // Whether more than one item can be selected (Shift and Ctrl extend the selection).
    void setMultiSelect(bool multi);

    // The owner's drawing for psOwnerDraw; without one the ordinary item drawing is used.
    std::function<void(QPainter*, const QStyleOptionViewItem&, int row)> OnDrawItem;

    // After a click: raises OnChange when the current item differs from the one current at
    // the last notice.
    void Click();

Q_SIGNALS:
    void OnChange();

protected:
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void syncCheckStates();

    bool useTabStops_ = true;
    TSelectedStyle style_ = TSelectedStyle::psCheckbox;
    QStringList stops_;
    int lastIndex_ = -1;
    friend class PickListDelegate;
};
