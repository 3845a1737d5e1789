#pragma once

#include "platform/entry_info.h"

#include <QSet>

// The files with several hard links that have been counted, so that each file counts once,
// as du counts it: the first of its names that is met counts, later names of the same device
// and inode add nothing. A file of one link has no other name and is never remembered, so the
// set holds only the files that have several names (about 21 bytes each in Qt's open hash).
class SeenFiles {
public:
    // True for a file of one link, and for the first name of a file of several links met
    // since clear(); false for its later names.
    bool firstSight(const FileIdentity& id);
    bool firstSight(const EntryInfo& info) { return firstSight(FileIdentity::of(info)); }
    void clear() { seen_ = {}; }

private:
    struct Key {
        quint64 device;
        quint64 inode;
        bool operator==(const Key&) const = default;
    };
    friend size_t qHash(const Key& key, size_t seed) noexcept {
        return qHashMulti(seed, key.device, key.inode);
    }
    QSet<Key> seen_;
};
