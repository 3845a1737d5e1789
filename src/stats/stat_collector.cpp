#include "stats/stat_collector.h"

#include "platform/drives.h"

// Hands each file of the walk to the tallies.
class StatCollector::Sink : public ScanSink {
public:
    explicit Sink(StatTallies& tallies) : tallies_(tallies) {}
    void file(const ScanFile& f) override {
        StatTallies::File file;
        file.name = f.name;
        file.nameLength = f.nameLength;
        file.size = f.size;
        file.attributes = f.attributes & ~unsigned(faDirectory);
        file.accessTime = f.accessTime;
        file.creationTime = f.creationTime;
        file.writeTime = f.writeTime;
        tallies_.crunchNumbers(file);
    }

private:
    StatTallies& tallies_;
};

StatCollector::StatCollector() : sink_(std::make_unique<Sink>(tallies_)) {
    engine_.setSink(sink_.get());
    engine_.setFileMask(kAnyFileMask); // hidden, system and read-only files count too
}

StatCollector::~StatCollector() = default;

bool StatCollector::driveReadyNow(const QString& root) {
    for (const Drive& d : driveList())
        if (d.root == root)
            return driveReady(d.root);
    return false;
}

void StatCollector::start(const QString& drive, const QDateTime& now) {
    engine_.clearAbort();
    engine_.resetProgress();
    drive_ = drive;
    tallies_.clearVariables(now);
    const std::optional<DiskGeometry> g = diskGeometry(drive);
    clusterSize_ = g ? g->bytesPerCluster() : 0;
    usedBytes_ = g ? g->totalBytes() - g->freeBytes() : 0;
}

bool StatCollector::walk(const QString& root) {
    return engine_.walk(root);
}

bool StatCollector::collect(const QString& drive, const QDateTime& now) {
    start(drive, now);
    return walk(drive);
}

StatCollector::Progress StatCollector::progress() const {
    const ScanEngine::Progress p = engine_.progress();
    return {p.files, p.bytes, gaugePercent(p.bytes, usedBytes_).value_or(0)};
}
