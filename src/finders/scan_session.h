#pragma once

#include "common/worker_thread.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <exception>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class QWidget;
class ScanEngine;
class TDrivePanel;

// The scan of a finder window (and of the statistics window). start() locks the window's
// controls and returns at once; the walk of every ticked drive and the window's work on its
// results (grouping, ranking, sorting: plain data, no widget) run on a thread of the
// session's own. Back on the user-interface thread the window is unlocked and the window's
// finishing step fills its grid and reports. A scan begins with started() and ends with
// finished(). Nothing of a walk runs an event loop: the user-interface thread stays free.
//
// Threads. The walk's sink, the drive walk and `prepare` run on the scan's thread; they own
// the window's records until the scan ends and must not touch a widget. Everything else of
// the session runs on the user-interface thread, except stopAtLimit(), which the sinks call
// from the walk. The user-interface thread looks for the walk's end every few milliseconds,
// so the scan's thread never posts to its event queue. The window's records must outlive the
// walk: a window calls halt() in its destructor, before its own members go (the session, a
// child object, dies after them).
//
// Abort state. Each session owns its abort state: the flag of its own engine. Abort, Esc,
// closing the window and the record limit stop only this session's walk, and a new scan
// clears only this session's flag, so walks of other windows run on side by side.
//
// During a scan:
// - the Abort button is shown; clicking it stops the walk and hides the button; the abort is
//   reported once the walk has let go (by default the warning "LIST INCOMPLETE ... ABORTED BY
//   USER"), before the window's finishing step;
// - Esc in the window does what Abort does, once; it does not close the window;
// - closing the window by its title bar stops the walk without a message and closes the
//   window only once the walk has let go, so nothing is destroyed under a running walk; the
//   finishing step is not run then;
// - the status line shows the folder being searched and, beside it, the files and bytes seen
//   so far, several times a second.
// Running out of memory inside the walk, or a sink refusing a record (stopAtLimit), stops the
// walk with the limit warning at its end; what was found so far is kept and shown as after
// Abort. A drive root that cannot be opened is reported at the end too.
class ScanSession : public QObject {
    Q_OBJECT
public:
    // The window's parts that a scan drives. None is owned.
    struct Parts {
        QWidget* window = nullptr;     // Esc and the close box are watched here
        TDrivePanel* drives = nullptr; // its ticked drives are walked, in box order
        QPushButton* abortButton = nullptr;
        QLabel* status = nullptr; // the status line
        // The files and bytes seen so far; by default the progress label of the status
        // line's frame (makeStatusLine), if there is one.
        QLabel* progress = nullptr;
        QWidget* busyArea = nullptr;       // shows the hourglass during the walk
        QList<QWidget*> lockWhileScanning; // disabled during the walk, enabled after
        QList<QWidget*> hideWhenScanning;  // hidden when the walk starts (result buttons)
    };
    enum class End {
        Complete, // the walk ran to its end
        Stopped,  // Abort, Esc, the record limit or memory exhaustion stopped it
        Closed    // the window was closed during the walk and is closing now
    };

    // The engine must outlive every walk the session runs.
    ScanSession(ScanEngine& engine, Parts parts, QObject* parent = nullptr);
    // Stops and waits for a running walk.
    ~ScanSession() override;
    // The engine the session walks with.
    ScanEngine& engine() const { return engine_; }

    // The warning of the record limit (and of memory exhaustion); kLimitText unless set.
    void setLimitText(const QString& text) { limitText_ = text; }
    // Reports an abort by the person; the default shows the warning box with kAbortText, an
    // empty function reports nothing.
    void setAbortReport(std::function<void()> report) { reportAbort_ = std::move(report); }
    // Walks one drive root on the scan's thread; false when the root cannot be opened. The
    // default walks the engine over the whole drive.
    void setDriveWalk(std::function<bool(const QString& root)> walk) {
        walkDrive_ = std::move(walk);
    }
    // The drive roots to walk, for a window without a drive panel (the statistics window
    // walks the one drive it was given); asked when the scan starts. The default is the
    // panel's ticked drives.
    void setRoots(std::function<QStringList()> roots) { roots_ = std::move(roots); }
    // Runs on this thread whenever the person stops the scan (Abort, Esc, a close) or the
    // window halts it: for work in `prepare` that the engine's abort flag does not reach.
    void setStopHook(std::function<void()> hook) { stopHook_ = std::move(hook); }
    // A later stage of the scan, after the walk: while `stage` returns true, the status line
    // shows its `status` and the progress label its `figures` instead of the walk's. It is
    // called on this thread, several times a second during a scan.
    void setStage(std::function<bool(QString& status, QString& figures)> stage) {
        stage_ = std::move(stage);
    }
    // Inline scans run on the calling thread: start() returns after the finishing step (or
    // the close). Headless tests use it.
    void setInline(bool on) { inline_ = on; }

    // One scan: clear this session's abort state and progress, lock, and return. On the
    // scan's thread: walk every ticked and ready drive (a drive that is not ready is skipped
    // silently), then run `prepare`. Then, on this thread: unlock, show the error box "Can't
    // open drive " + root (without a sound) for each root that could not be opened, report a
    // limit or an abort, and run `finish` with how the scan ended. After a close during the
    // walk the window is closed instead of running `finish`.
    void start(std::function<void()> prepare, std::function<void(End)> finish);
    // Blocks until the running scan (if any) has ended and its end has run here.
    void wait();
    // Stops the running walk and waits for it; its end is dropped and the window stays
    // locked. For destructors.
    void halt();

    // The Abort button and Esc: stop the walk, hide Abort; the abort is reported at the end.
    void abort();
    // The record limit, from any thread: stop the walk; the limit warning shows once at the
    // end.
    void stopAtLimit();
    bool scanning() const { return scanning_; }
    // Whether this session's current (or last) walk was stopped.
    bool stopped() const;

    // Sets the status line's text, which screen readers read as the line's accessible name.
    void setStatus(const QString& text);

    static const QString kAbortText;
    static const QString kLimitText;

Q_SIGNALS:
    void started();
    void finished(ScanSession::End end);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void lock(bool locked);
    // The scan's thread: the walk and `prepare`; returns the roots that could not be opened.
    QStringList walkAndPrepare(const QStringList& roots, const std::function<void()>& prepare);
    // This thread: the scan's end.
    void end();
    void showProgress();
    // Stops the walk and the work after it.
    void stopWork();

    ScanEngine& engine_;
    Parts parts_;
    QString limitText_ = kLimitText;
    std::function<void()> reportAbort_;
    std::function<bool(const QString&)> walkDrive_;
    std::function<QStringList()> roots_;
    std::function<void()> stopHook_;
    std::function<bool(QString&, QString&)> stage_;
    WorkerThread worker_;
    QTimer* progressTimer_ = nullptr;
    QTimer* endPoll_ = nullptr;
    std::function<void(End)> finish_;
    // Set by the scan's thread when it is done; its roots that could not be opened.
    std::atomic<bool> walked_{false};
    QStringList failedRoots_;
    bool inline_ = false;
    bool scanning_ = false;
    bool abortPending_ = false; // Abort or Esc, reported at the end
    bool closePending_ = false;
    std::atomic<bool> limitReached_{false};
    std::exception_ptr failure_; // an unexpected error of the walk, raised again at the end
};

// The sunken status line along a finder's bottom: a frame holding one plain-text label, and
// after it the progress label, hidden unless a walk runs. The status label has no fixed
// accessible name, so screen readers read its text; its accessible description says what the
// line is. The progress label's accessible name stays "Progress" and its figures are its
// accessible description, so screen readers can read them without announcing each change.
QLabel* makeStatusLine(QWidget* parent, QFrame** frame);
// The progress label in the frame of a status line made by makeStatusLine, or nullptr.
QLabel* progressLabelOf(const QLabel* status);
// "12,345 files, 1,234 MB": the figures of a walk so far.
QString progressText(qint64 files, qint64 bytes);
