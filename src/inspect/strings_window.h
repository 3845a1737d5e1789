#pragma once

#include "inspect/strings_extract.h"

#include <QAbstractListModel>
#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QListView;
class QPushButton;
class TWinPlace;

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

private:
    const StringList& list_;
    int shown_ = 0;
};

// The strings window: the printable strings of a file, one a line, with their count. It is
// opened by the viewer, which gives it the file, its title and its position. The strings are
// listed when the window is shown; the window stays live meanwhile, and Esc or Close stops the
// listing and keeps what was found.
class TfrmStrings : public QDialog {
    Q_OBJECT
public:
    explicit TfrmStrings(QWidget* parent = nullptr);
    ~TfrmStrings() override;

    QString fileName;
    const StringList& strings() const { return list_; }
    bool extracting() const { return extracting_; }

    QListView* Memo1 = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblCount = nullptr;
    QPushButton* btClose = nullptr;
    TWinPlace* WinPlace1 = nullptr;

public Q_SLOTS:
    // Esc, Close and the title bar's close: stop a listing under way, else close.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormShow();
    void listStrings();

    StringList list_;
    StringListModel* model_ = nullptr;
    bool shown_ = false;
    bool extracting_ = false;
    bool stopRequested_ = false;
};
