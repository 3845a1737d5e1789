#pragma once

#include "common/form_dialog.h"
#include "inspect/strings_extract.h"

#include <QAbstractListModel>
#include <QListView>
#include <QString>
#include <string_view>

class QFrame;
class QLabel;
class QPushButton;
class TWinPlace;
class WrappedStringDelegate;

// A string as lines that hold `columns` characters (at least 1), joined by `separator`: each
// line ends after the last blank that fits on it (blanks at the end of a line take no room),
// or after `columns` characters when none does. No character is left out.
QString wrappedString(std::string_view text, int columns, QChar separator = u'\n');
// The number of lines wrappedString() makes.
int wrappedLineCount(std::string_view text, int columns);

// A read-only list view over a StringList: the rows are the strings the window has shown so
// far, their texts made only when drawn, so a list of millions costs its bytes and no more.
class StringListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit StringListModel(const StringList& list, QObject* parent = nullptr)
        : QAbstractListModel(parent), list_(list) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Shows the strings the list has gained since the last call.
    void showAdded();
    // Shows none (before the list is cleared and filled again).
    void showNone();
    // The bytes of a shown row, and the length of the longest shown string.
    std::string_view bytes(int row) const { return list_.bytes(size_t(row)); }
    size_t longest() const { return longest_; }

private:
    const StringList& list_;
    int shown_ = 0;
    size_t longest_ = 0;
};

// The list of strings: every string shown whole, its lines wrapped at the view's width in a
// fixed-pitch font. While every string fits on one line the rows share one height, which
// keeps lists of millions fast; once one does not, each row is as tall as its lines.
class StringsView : public QListView {
    Q_OBJECT
public:
    explicit StringsView(StringListModel* model, QWidget* parent = nullptr);
    // The characters a line holds at the view's present width.
    int columns() const;
    // Fits the rows to the strings shown and to the width; called after strings are shown.
    void fitRows();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    StringListModel* model_;
    WrappedStringDelegate* delegate_;
    int columns_ = 0; // the columns the rows were last laid out for
};

// The strings window: the printable strings of a file, one a line, with their count. It is
// opened by the viewer, which gives it the file, its title and its position. The strings are
// listed when the window is shown; the window stays live meanwhile, and Esc or Close stops the
// listing and keeps what was found.
class TfrmStrings : public TFormDialog {
    Q_OBJECT
public:
    explicit TfrmStrings(QWidget* parent = nullptr);
    ~TfrmStrings() override;

    QString fileName;
    const StringList& strings() const { return list_; }
    bool extracting() const { return extracting_; }

    StringsView* Memo1 = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel *Label1 = nullptr, *lblCount = nullptr;
    QPushButton* btClose = nullptr;
    TWinPlace* WinPlace1 = nullptr;

public Q_SLOTS:
    // Esc, Close and the title bar's close: stop a listing under way, else close.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormShow() override;
    void listStrings();

    StringList list_;
    StringListModel* model_ = nullptr;
    bool extracting_ = false;
    bool stopRequested_ = false;
};
