#include "platform/seen_files.h"

bool SeenFiles::firstSight(const FileIdentity& id) {
    if (id.links <= 1)
        return true;
    const qsizetype before = seen_.size();
    seen_.insert(Key{id.device, id.inode});
    return seen_.size() != before;
}
