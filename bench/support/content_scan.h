#pragma once

#include "finders/content_groups.h"
#include "finders/file_records.h"

#include <functional>
#include <string>
#include <vector>

// File records that also keep what the walk saw of each file: the candidates of a contents
// search.
class IdentityRecords : public FileRecords {
public:
    void clear() override;
    void file(const ScanFile& file) override;
    const std::vector<ContentGroups::Candidate>& candidates() const { return candidates_; }

private:
    std::vector<ContentGroups::Candidate> candidates_;
};

// The contents search as the duplicate finder makes it: the tree under `root` walked (every
// name, no size limit), then its files grouped by contents, `threads` walking and reading (0:
// the default). `records` is cleared first and holds the walk's files after; `bytesRead`, when
// given, is set to the bytes the grouping read.
ContentGroups::Result findSameContents(const std::string& root, IdentityRecords& records,
                                       int threads = 0, qint64* bytesRead = nullptr);

// Groups of paths as another duplicate finder lists them.
using PathGroups = std::vector<std::vector<std::string>>;

// One path a line, groups separated by a blank line.
PathGroups readBlankLineGroups(const std::string& file);
// A results file of lines "type id depth size device inode priority path", a group's lines
// sharing the id's absolute value; lines beginning with "#" are comments.
PathGroups readResultsFileGroups(const std::string& file);

// How another finder's groups differ from ours, one line per difference (none when they
// agree). A listed path stands for the file it names, our group member or one of the member's
// other names: a group agrees when it names every member of one of our groups and nothing
// else. With `oneNamePerFile`, a group that names one file twice differs too; `repeated`
// counts such second names.
std::vector<std::string> groupDifferences(const PathGroups& theirs,
                                          const ContentGroups::Result& ours,
                                          const std::function<std::string(quint32)>& path,
                                          bool oneNamePerFile, long long* repeated = nullptr);
