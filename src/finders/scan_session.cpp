#include "finders/scan_session.h"

#include "common/fit_text.h"
#include "common/locations.h"
#include "common/message_boxes.h"
#include "common/number_text.h"
#include "finders/scan_engine.h"
#include "platform/native_path.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <new>
#include <utility>

namespace {
// How often the progress of a walk is shown: five times a second and a little more.
constexpr int kProgressMs = 180;
// How often the user-interface thread looks whether the walk has ended.
constexpr int kEndPollMs = 5;
} // namespace

const QString ScanSession::kAbortText = QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER");
const QString ScanSession::kLimitText =
    QStringLiteral("Resource limit reached ... cannot process any more files.");

ScanSession::ScanSession(ScanEngine& engine, Parts parts, QObject* parent)
    : QObject(parent), engine_(engine), parts_(std::move(parts)),
      reportAbort_([] { warningBox(kAbortText); }),
      walkDrive_([this](const QString& root) { return engine_.walk(root); }) {
    if (!parts_.progress && parts_.status)
        parts_.progress = progressLabelOf(parts_.status);
    if (parts_.abortButton)
        connect(parts_.abortButton, &QPushButton::clicked, this, &ScanSession::abort);
    if (parts_.window)
        parts_.window->installEventFilter(this);
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(kProgressMs);
    connect(progressTimer_, &QTimer::timeout, this, &ScanSession::showProgress);
    // The end of the walk is polled for, not signalled from the scan's thread: nothing of a
    // walk posts to the user-interface thread's event queue, whose locks are Qt's own.
    endPoll_ = new QTimer(this);
    endPoll_->setInterval(kEndPollMs);
    connect(endPoll_, &QTimer::timeout, this, [this] {
        if (walked_.load(std::memory_order_acquire))
            wait();
    });
}

ScanSession::~ScanSession() {
    halt();
}

bool ScanSession::stopped() const {
    return engine_.aborted();
}

void ScanSession::setStatus(const QString& text) {
    if (parts_.status)
        parts_.status->setText(text);
}

void ScanSession::abort() {
    if (!scanning_ || engine_.aborted())
        return;
    stopWork();
    abortPending_ = true;
    if (parts_.abortButton)
        parts_.abortButton->hide();
}

void ScanSession::stopAtLimit() {
    limitReached_.store(true, std::memory_order_relaxed);
    engine_.abort();
}

void ScanSession::lock(bool locked) {
    if (parts_.abortButton)
        parts_.abortButton->setVisible(locked);
    if (locked)
        for (QWidget* w : parts_.hideWhenScanning)
            w->hide();
    if (parts_.busyArea) {
        if (locked)
            parts_.busyArea->setCursor(Qt::WaitCursor);
        else
            parts_.busyArea->unsetCursor();
    }
    for (QWidget* w : parts_.lockWhileScanning)
        w->setEnabled(!locked);
    if (parts_.drives)
        parts_.drives->setEnabled(!locked);
    if (locked) {
        showProgress();
        progressTimer_->start();
    } else {
        progressTimer_->stop();
        endPoll_->stop();
    }
    if (parts_.progress) {
        if (!locked) {
            parts_.progress->clear();
            parts_.progress->setAccessibleDescription(QString());
        }
        parts_.progress->setVisible(locked);
    }
}

void ScanSession::showProgress() {
    if (stage_) {
        QString status, figures;
        if (stage_(status, figures)) {
            setStatus(status);
            if (parts_.progress) {
                parts_.progress->setText(figures);
                parts_.progress->setAccessibleDescription(figures);
            }
            return;
        }
    }
    const ScanEngine::Progress p = engine_.progress();
    // The folder being walked, its middle left out where it is wider than the status line: a
    // path can be hundreds of kilobytes long.
    if (parts_.status && !p.folder.isEmpty())
        setStatus(elideText(fromNative(p.folder), Qt::ElideMiddle, parts_.status->fontMetrics(),
                            parts_.status->contentsRect().width()));
    if (parts_.progress) {
        const QString text = progressText(p.files, p.bytes);
        parts_.progress->setText(text);
        parts_.progress->setAccessibleDescription(text);
    }
}

void ScanSession::start(std::function<void()> prepare, std::function<void(End)> finish) {
    if (scanning_)
        return;
    worker_.stop(); // the thread of the last scan, which has ended
    engine_.clearAbort();
    engine_.resetProgress();
    limitReached_ = false;
    abortPending_ = false;
    closePending_ = false;
    failure_ = nullptr;
    finish_ = std::move(finish);
    const QStringList roots =
        roots_ ? roots_() : (parts_.drives ? parts_.drives->tickedRoots() : QStringList());
    scanning_ = true;
    lock(true);
    Q_EMIT started();
    if (inline_) {
        failedRoots_ = walkAndPrepare(roots, prepare);
        end();
        return;
    }
    walked_.store(false, std::memory_order_relaxed);
    worker_.start([this, roots, prepare = std::move(prepare)] {
        failedRoots_ = walkAndPrepare(roots, prepare);
        walked_.store(true, std::memory_order_release);
    });
    endPoll_->start();
}

QStringList ScanSession::walkAndPrepare(const QStringList& roots,
                                        const std::function<void()>& prepare) {
    QStringList failed;
    try {
        for (const QString& root : roots) {
            if (engine_.aborted())
                break;
            bool ready = false;
            try {
                ready = isDriveReady(root); // may take long on a slow drive
            } catch (const InvalidDriveId&) {
                ready = false; // a drive that left the system since the boxes were built
            }
            if (ready && !walkDrive_(root))
                failed << root;
        }
    } catch (const std::bad_alloc&) {
        // Out of memory counts as the record limit: keep what was found.
        stopAtLimit();
    } catch (...) {
        failure_ = std::current_exception();
        return failed;
    }
    try {
        if (prepare)
            prepare();
    } catch (...) {
        failure_ = std::current_exception();
    }
    return failed;
}

void ScanSession::end() {
    scanning_ = false;
    lock(false);
    const std::function<void(End)> finish = std::exchange(finish_, {});
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
    if (closePending_) {
        // Closed during the walk: the walk has let go, now the window goes. Nothing of this
        // session is touched after the close, which may delete the window and the session.
        closePending_ = false;
        QWidget* window = parts_.window;
        Q_EMIT finished(End::Closed);
        window->close();
        return;
    }
    for (const QString& root : std::exchange(failedRoots_, {}))
        plainErrorBox(QStringLiteral("Can't open drive ") + root);
    if (abortPending_ && reportAbort_)
        reportAbort_();
    if (limitReached_)
        warningBox(limitText_);
    const End how = engine_.aborted() ? End::Stopped : End::Complete;
    if (finish)
        finish(how);
    Q_EMIT finished(how);
}

void ScanSession::wait() {
    if (!scanning_ || inline_)
        return;
    worker_.wait();
    end();
}

void ScanSession::stopWork() {
    engine_.abort();
    if (stopHook_)
        stopHook_();
}

void ScanSession::halt() {
    if (!scanning_)
        return;
    stopWork();
    worker_.stop();
    progressTimer_->stop();
    endPoll_->stop();
    scanning_ = false;
}

bool ScanSession::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parts_.window && scanning_) {
        if (event->type() == QEvent::Close) {
            stopWork();
            closePending_ = true;
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            abort();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

QLabel* makeStatusLine(QWidget* parent, QFrame** frame) {
    auto* base = new QFrame(parent);
    base->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* layout = new QHBoxLayout(base);
    layout->setContentsMargins(4, 1, 4, 1);
    auto* label = new QLabel(base);
    label->setTextFormat(Qt::PlainText);
    // No accessible name: a label's name is then its text, and a text change is announced.
    label->setAccessibleDescription(QStringLiteral("Status"));
    layout->addWidget(label, 1);
    auto* progress = new QLabel(base);
    progress->setObjectName(QStringLiteral("lblProgress"));
    progress->setTextFormat(Qt::PlainText);
    progress->setAccessibleName(QStringLiteral("Progress"));
    progress->hide();
    layout->addWidget(progress);
    if (frame)
        *frame = base;
    return label;
}

QLabel* progressLabelOf(const QLabel* status) {
    QWidget* frame = status->parentWidget();
    return frame ? frame->findChild<QLabel*>(QStringLiteral("lblProgress"),
                                             Qt::FindDirectChildrenOnly)
                 : nullptr;
}

QString progressText(qint64 files, qint64 bytes) {
    return formatThousands(files) + QStringLiteral(" files, ") +
           formatThousands(bytes / (1024 * 1024)) + QStringLiteral(" MB");
}
