#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;
class ScanEngine;
class TDrivePanel;

// The scan of a finder window (and of the statistics window): it locks the window's controls,
// walks every ticked drive with the window's engine, keeps the window live through the
// engine's pump, and unlocks however the walk ends.
//
// Abort state. Each session owns its abort state: the flag of its own engine. Abort, Esc,
// closing the window and the record limit stop only this session's walk, and a new scan
// clears only this session's flag. This matters because walks nest: the modeless statistics
// window's walk pumps the main window's events, so a finder can be opened and scan while that
// walk is suspended below it. The finder's Abort leaves the statistics walk running when
// control returns to it, and the finder's start does not undo an Abort of the statistics walk.
// There is no program-wide abort flag.
//
// During a scan:
// - the Abort button is shown; clicking it stops the walk and reports the abort (by default
//   the warning "LIST INCOMPLETE ... ABORTED BY USER");
// - Esc in the window does what Abort does, once; it does not close the window;
// - closing the window by its title bar stops the walk without a message and closes the
//   window only once the walk has unwound, so nothing is destroyed under a running walk;
// - the status line shows the folder being searched.
// Running out of memory inside the walk, or a sink refusing a record (stopAtLimit), stops the
// walk with the limit warning; what was found so far is kept and shown as after Abort.
class ScanSession : public QObject {
    Q_OBJECT
public:
    // The window's parts that a scan drives. None is owned.
    struct Parts {
        QWidget* window = nullptr;     // Esc and the close box are watched here
        TDrivePanel* drives = nullptr; // its ticked drives are walked, in box order
        QPushButton* abortButton = nullptr;
        QLabel* status = nullptr;          // the status line
        QWidget* busyArea = nullptr;       // shows the hourglass during the walk
        QList<QWidget*> lockWhileScanning; // disabled during the walk, enabled after
        QList<QWidget*> hideWhenScanning;  // hidden when the walk starts (result buttons)
    };
    enum class End {
        Complete, // the walk ran to its end
        Stopped,  // Abort, Esc, the record limit or memory exhaustion stopped it
        Closed    // the window was closed during the walk and is closing now
    };

    // The session sets the engine's status handler to show the folder in the status line; a
    // window that shows something else there sets its own handler afterwards. The engine must
    // outlive every walk the session runs.
    ScanSession(ScanEngine& engine, Parts parts, QObject* parent = nullptr);
    // The engine the session walks with.
    ScanEngine& engine() const { return engine_; }

    // The warning of the record limit (and of memory exhaustion); kLimitText unless set.
    void setLimitText(const QString& text) { limitText_ = text; }
    // Reports an abort by the person; the default shows the warning box with kAbortText, an
    // empty function reports nothing.
    void setAbortReport(std::function<void()> report) { reportAbort_ = std::move(report); }
    // Walks one drive root; false when the root cannot be opened. The default walks the
    // engine over the whole drive.
    void setDriveWalk(std::function<bool(const QString& root)> walk) {
        walkDrive_ = std::move(walk);
    }
    // The drive roots to walk, for a window without a drive panel (the statistics window
    // walks the one drive it was given). The default is the panel's ticked drives.
    void setRoots(std::function<QStringList()> roots) { roots_ = std::move(roots); }

    // One scan: clear this session's abort state, lock, walk every ticked and ready drive
    // (a drive that is not ready is skipped silently; a root that cannot be opened gets the
    // error box "Can't open drive " + root without a sound), then run `afterWalk` while still
    // locked (the window fills its grid there), unlock. After End::Closed the window is
    // closing and the caller reports nothing.
    End run(const std::function<void()>& afterWalk = {});

    // The Abort button and Esc: stop the walk, hide Abort, report the abort once.
    void abort();
    // The record limit: stop the walk and show the limit warning once.
    void stopAtLimit();
    bool scanning() const { return scanning_; }
    // Whether this session's current (or last) walk was stopped.
    bool stopped() const;

    // Sets the status line's text, which screen readers read as the line's accessible name.
    void setStatus(const QString& text);

    static const QString kAbortText;
    static const QString kLimitText;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void lock(bool locked);
    void walkDrives();

    ScanEngine& engine_;
    Parts parts_;
    QString limitText_ = kLimitText;
    std::function<void()> reportAbort_;
    std::function<bool(const QString&)> walkDrive_;
    std::function<QStringList()> roots_;
    bool scanning_ = false;
    bool stopReported_ = false;
    bool closePending_ = false;
};

// The sunken status line along a finder's bottom: a frame holding one plain-text label. The
// label has no fixed accessible name, so screen readers read its text; its accessible
// description says what the line is.
QLabel* makeStatusLine(QWidget* parent, QFrame** frame);
