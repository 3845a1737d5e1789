#pragma once

#include "finders/scan_engine.h"
#include "stats/stat_tallies.h"

#include <QDateTime>
#include <QString>
#include <memory>

// One statistics collection without any window: it walks a drive (every file of its mount
// point, hidden and system files included) with the finders' scan engine and classifies each
// file into the tallies, a file with several hard links once (its first name met). The walk may run
// on any thread: the tallies are filled on the thread that calls walk() and are read once it has
// returned, while progress() and abort() are safe from any thread meanwhile. The abort flag is the
// engine's own, so stopping this walk stops no other.
class StatCollector {
public:
    struct Progress {
        qint64 files = 0; // processed so far
        qint64 bytes = 0; // their sizes
        int percent = 0;  // their bytes as a share of the drive's used space
    };

    StatCollector();
    ~StatCollector();
    StatCollector(const StatCollector&) = delete;
    StatCollector& operator=(const StatCollector&) = delete;

    // Whether the drive is in the drive list as it is now and can be read; a drive that has
    // been unmounted is not ready.
    static bool driveReadyNow(const QString& root);

    // Clears the abort flag, empties the tallies, fixes "today" for the ages and reads the
    // drive's geometry: its cluster size and the used space that the progress measures
    // against.
    void start(const QString& drive, const QDateTime& now);
    // Walks `root` into the tallies; false when the root cannot be opened.
    bool walk(const QString& root);
    // start and walk in one.
    bool collect(const QString& drive, const QDateTime& now);

    // The files processed so far and their share of the drive's used space, from the
    // engine's figures: safe from any thread while the walk runs.
    Progress progress() const;

    void abort() { engine_.abort(); }
    bool aborted() const { return engine_.aborted(); }
    // The engine the walk runs on, for a scan session that drives it.
    ScanEngine& engine() { return engine_; }

    const StatTallies& tallies() const { return tallies_; }
    const QString& drive() const { return drive_; }
    qint64 clusterSize() const { return clusterSize_; } // 0 when unknown
    qint64 usedBytes() const { return usedBytes_; }

private:
    class Sink;

    StatTallies tallies_;
    ScanEngine engine_;
    std::unique_ptr<Sink> sink_;
    QString drive_;
    qint64 clusterSize_ = 0;
    qint64 usedBytes_ = 0;
};
