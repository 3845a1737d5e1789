#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Runs one job at a time on a thread of its own and hands its results to the thread that made
// the object (the user-interface thread). The job never touches a widget: it polls stopping()
// and passes each result as a function to deliver(), which queues it and rings a queued
// signal; the function then runs on the object's thread. The results pass under a mutex, so
// what a result carries is safely the receiver's. Starting a job, stop() and the destructor
// stop the job before, wait for it and drop its results not yet run.
class WorkerThread : public QObject {
    Q_OBJECT
public:
    explicit WorkerThread(QObject* parent = nullptr);
    ~WorkerThread() override;

    void start(std::function<void()> job);
    void stop();
    // Waits for the job to end by itself, then runs its results not yet run, here and now.
    void wait();
    // A job runs, or its results wait to be run.
    bool busy() const { return busy_; }

    // For the job: whether it is asked to stop.
    bool stopping() const { return stop_.load(std::memory_order_relaxed); }
    // For the job: runs `result` on the object's thread, unless the job is stopped first. The
    // last result of a job ends its busy time.
    void deliver(std::function<void()> result, bool last = false);

Q_SIGNALS:
    void delivered();

private:
    void runDelivered();

    std::thread thread_;
    std::atomic<bool> stop_{false};
    bool busy_ = false;
    std::uint64_t run_ = 0; // which job the results running now belong to
    std::mutex mutex_;
    struct Result {
        std::function<void()> run;
        bool last;
    };
    std::vector<Result> results_;
};
