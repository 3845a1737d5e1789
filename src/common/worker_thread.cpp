#include "common/worker_thread.h"

WorkerThread::WorkerThread(QObject* parent) : QObject(parent) {
    connect(this, &WorkerThread::delivered, this, &WorkerThread::runDelivered,
            Qt::QueuedConnection);
}

WorkerThread::~WorkerThread() {
    stop();
}

void WorkerThread::start(std::function<void()> job) {
    stop();
    busy_ = true;
    thread_ = std::thread(std::move(job));
}

void WorkerThread::stop() {
    ++run_;
    busy_ = false;
    if (!thread_.joinable())
        return;
    stop_ = true;
    thread_.join();
    stop_ = false;
    const std::lock_guard lock(mutex_);
    results_.clear();
}

void WorkerThread::wait() {
    if (thread_.joinable())
        thread_.join();
    runDelivered();
}

void WorkerThread::deliver(std::function<void()> result, bool last) {
    {
        const std::lock_guard lock(mutex_);
        results_.push_back({std::move(result), last});
    }
    // Qt posts the queued signal under locks of its own that the thread sanitizer cannot see;
    // one lock of ours around it keeps two workers ringing at once visibly ordered.
    static std::mutex ringing;
    const std::lock_guard lock(ringing);
    Q_EMIT delivered();
}

void WorkerThread::runDelivered() {
    std::vector<Result> results;
    {
        const std::lock_guard lock(mutex_);
        results.swap(results_);
    }
    // A result may stop this job or start another one: the rest of the taken ones then belong
    // to a job that is over.
    const std::uint64_t run = run_;
    for (Result& r : results) {
        if (run_ != run)
            return;
        if (r.last)
            busy_ = false;
        r.run();
    }
}
