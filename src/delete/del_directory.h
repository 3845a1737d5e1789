#pragma once

#include <QDialog>
#include <QString>
#include <optional>

class QFrame;
class QLabel;
class QPushButton;

// The folder-deletion confirmation window: delete the folder for good, send its files to the
// trash, or cancel. The caller sets the folder (lblDirectory's text, or setDirectory), shows
// the window modally, then reads the result (Accepted to delete) and `recycle`.
class TfrmDelDirectory : public QDialog {
    Q_OBJECT

public:
    explicit TfrmDelDirectory(QWidget* owner = nullptr);

    // The folder to delete: the exact text of lblDirectory.
    void setDirectory(const QString& path);
    QString directory() const;

    // True when the person chose the trash, false for deletion for good.
    bool recycle = false;

    QLabel* Label2;
    QLabel* lblDirectory;
    QFrame* Bevel1;
    QFrame* Bevel2;
    QFrame* Bevel3;
    QPushButton* btDelete;
    QLabel* Label1;
    QPushButton* btRecycle;
    QLabel* Label3;
    QPushButton* BitBtn3;
    QLabel* Label4;

public Q_SLOTS:
    void btDeleteClick();
    // Asks whether to go on despite a full or bypassed trash; Yes closes with recycle set, No
    // leaves the window open.
    void btRecycleClick();

protected:
    void showEvent(QShowEvent* event) override;
};

// Shows the confirmation window for the folder at `path` modally (through the UI seam): true
// when the person chose the trash, false for deletion for good, nullopt when they cancelled.
std::optional<bool> askDeleteDirectory(QWidget* owner, const QString& path);
