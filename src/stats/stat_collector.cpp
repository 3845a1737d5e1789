#include "stats/stat_collector.h"

#include "platform/drives.h"
#include "platform/seen_files.h"

// Hands each file of the walk to the tallies. A file with several hard links is one file on
// the disk: its first name is classified, later names add nothing to any tally (neither its
// bytes nor a count), so every count, sum and cluster overhang describes the disk's files.
class StatCollector::Sink : public ScanSink {
public:
    explicit Sink(StatTallies& tallies) : tallies_(tallies) {}
    void file(const ScanFile& f) override {
        if (!counted.firstSight(f.identity))
            return;
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

    SeenFiles counted; // the files of several links classified so far

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
    sink_->counted.clear();
    const std::optional<DiskGeometry> g = diskGeometry(drive);
    clusterSize_ = g ? g->bytesPerCluster() : 0;
    usedBytes_ = g ? g->totalBytes() - g->freeBytes() : 0;
}

bool StatCollector::walk(const QString& root) {
    const bool walked = engine_.walk(root);
    sink_->counted.clear(); // one walk per start: the names met are no longer needed
    return walked;
}

bool StatCollector::collect(const QString& drive, const QDateTime& now) {
    start(drive, now);
    return walk(drive);
}

StatCollector::Progress StatCollector::progress() const {
    const ScanEngine::Progress p = engine_.progress();
    return {p.files, p.bytes, gaugePercent(p.bytes, usedBytes_).value_or(0)};
}
