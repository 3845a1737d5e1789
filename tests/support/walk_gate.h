#pragma once

#include "finders/scan_engine.h"
#include "finders/scan_session.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

// Holds a walk at the n-th folder it enters until the test lets it go. The engine's folder
// hook runs on a walking thread, so the gate only counts and waits there; the test's thread
// drives the window meanwhile. A walk held at the gate ends there once it is aborted. `pause` slows
// every folder down (a slow drive), so the walk's progress notes each one.
class WalkGate {
public:
    WalkGate(ScanEngine& engine, int atFolder,
             std::chrono::milliseconds pause = std::chrono::milliseconds(0))
        : WalkGate(
              engine, [this, atFolder](const QByteArray&) { return ++folders_ == atFolder; },
              pause) {}
    // Holds the walk at the first folder whose path passes `at`.
    WalkGate(ScanEngine& engine, std::function<bool(const QByteArray& path)> at,
             std::chrono::milliseconds pause = std::chrono::milliseconds(0))
        : engine_(&engine) {
        engine.setFolderHook([this, at = std::move(at), pause](const QByteArray& path) {
            if (pause.count() > 0)
                std::this_thread::sleep_for(pause);
            if (!at(path) || held_.exchange(true))
                return;
            std::unique_lock lock(mutex_);
            reached_ = true;
            changed_.notify_all();
            // A walk held here still sees its abort, as at a slow folder.
            while (!open_ && !engine_->aborted())
                changed_.wait_for(lock, std::chrono::milliseconds(1));
        });
    }
    // Lets the walk go; the walk must be over before the gate goes.
    ~WalkGate() {
        open();
        if (engine_)
            engine_->setFolderHook({});
    }
    // The engine is gone with its window (its walk is over).
    void forgetEngine() { engine_ = nullptr; }
    // Whether the walk has come to the gate (false after ten seconds without).
    bool reached() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [this] { return reached_; });
    }
    void open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

private:
    ScanEngine* engine_;
    std::atomic<int> folders_{0};
    std::atomic<bool> held_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    bool reached_ = false;
    bool open_ = false;
};

// One scan in the background: `start` starts it (a button of the window), the walk is held at
// its `atFolder`-th folder while `during` runs on this thread, then it goes on, and this
// returns once the scan's end has run. The session is inline again afterwards.
inline void scanHeldAt(ScanSession& session, int atFolder, const std::function<void()>& start,
                       const std::function<void()>& during) {
    session.setInline(false);
    {
        WalkGate gate(session.engine(), atFolder);
        start();
        EXPECT_TRUE(gate.reached());
        if (during)
            during();
        gate.open();
        session.wait();
    }
    session.setInline(true);
}
