#include "finders/scan_session.h"

#include "common/fit_text.h"
#include "common/locations.h"
#include "common/message_boxes.h"
#include "finders/scan_engine.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <new>

const QString ScanSession::kAbortText = QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER");
const QString ScanSession::kLimitText =
    QStringLiteral("Resource limit reached ... cannot process any more files.");

ScanSession::ScanSession(ScanEngine& engine, Parts parts, QObject* parent)
    : QObject(parent), engine_(engine), parts_(std::move(parts)),
      reportAbort_([] { warningBox(kAbortText); }),
      walkDrive_([this](const QString& root) { return engine_.walk(root); }) {
    if (parts_.abortButton)
        connect(parts_.abortButton, &QPushButton::clicked, this, &ScanSession::abort);
    if (parts_.window)
        parts_.window->installEventFilter(this);
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
    engine_.abort();
    if (parts_.abortButton)
        parts_.abortButton->hide();
    // The box is modal and runs inside the walk's pump; the walk ends after it is closed.
    if (reportAbort_)
        reportAbort_();
}

void ScanSession::stopAtLimit() {
    if (engine_.aborted() && stopReported_)
        return;
    engine_.abort();
    stopReported_ = true;
    warningBox(limitText_);
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
}

void ScanSession::walkDrives() {
    const QStringList roots =
        roots_ ? roots_() : (parts_.drives ? parts_.drives->tickedRoots() : QStringList());
    for (const QString& root : roots) {
        if (engine_.aborted())
            return;
        bool ready = false;
        try {
            ready = isDriveReady(root);
        } catch (const InvalidDriveId&) {
            ready = false; // a drive that left the system since the boxes were built
        }
        if (!ready)
            continue;
        if (!walkDrive_(root))
            plainErrorBox(QStringLiteral("Can't open drive ") + root);
    }
}

ScanSession::End ScanSession::run(const std::function<void()>& afterWalk) {
    engine_.clearAbort();
    stopReported_ = false;
    closePending_ = false;
    scanning_ = true;
    lock(true);
    // Unlocks however the walk ends, also by an exception that leaves this function.
    struct Unlock {
        ScanSession& s;
        ~Unlock() {
            s.scanning_ = false;
            s.lock(false);
        }
    };
    {
        Unlock unlock{*this};
        try {
            walkDrives();
        } catch (const std::bad_alloc&) {
            // Out of memory counts as the record limit: keep what was found.
            stopAtLimit();
        }
        if (afterWalk)
            afterWalk();
    }
    if (closePending_) {
        // Closed during the walk: the walk has unwound, now the window goes. Nothing of this
        // session is touched after the close, which may delete the window and the session.
        closePending_ = false;
        QWidget* window = parts_.window;
        window->close();
        return End::Closed;
    }
    return engine_.aborted() ? End::Stopped : End::Complete;
}

bool ScanSession::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parts_.window && scanning_) {
        if (event->type() == QEvent::Close) {
            engine_.abort();
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
    layout->addWidget(label);
    if (frame)
        *frame = base;
    return label;
}
