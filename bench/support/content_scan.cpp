#include "support/content_scan.h"

#include "finders/scan_engine.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <unordered_map>

void IdentityRecords::clear() {
    FileRecords::clear();
    candidates_.clear();
    candidates_.shrink_to_fit();
}

void IdentityRecords::file(const ScanFile& file) {
    const quint32 record = count();
    FileRecords::file(file);
    if (count() != record)
        candidates_.push_back({record, file.identity});
}

ContentGroups::Result findSameContents(const std::string& root, IdentityRecords& records,
                                       int threads, qint64* bytesRead) {
    records.clear();
    ScanEngine engine;
    engine.setSink(&records);
    engine.setPattern(QStringLiteral("*.*"));
    engine.setThreads(threads);
    engine.walk(QString::fromStdString(root));
    ContentGroups groups;
    groups.setThreads(threads);
    ContentGroups::Result result = groups.group(
        records.candidates(), [&records](quint32 record) { return records.nativePath(record); });
    if (bytesRead)
        *bytesRead = groups.bytesRead();
    return result;
}

PathGroups readBlankLineGroups(const std::string& file) {
    PathGroups groups(1);
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty())
            groups.back().push_back(line);
        else if (!groups.back().empty())
            groups.emplace_back();
    }
    if (groups.back().empty())
        groups.pop_back();
    return groups;
}

PathGroups readResultsFileGroups(const std::string& file) {
    std::map<long long, std::vector<std::string>> byId;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        // The path is what follows the seventh field.
        std::size_t at = 0;
        long long id = 0;
        for (int field = 0; field < 7 && at != std::string::npos; ++field) {
            if (field == 1)
                id = std::llabs(std::atoll(line.c_str() + at));
            at = line.find(' ', at);
            if (at != std::string::npos)
                ++at;
        }
        if (at != std::string::npos)
            byId[id].push_back(line.substr(at));
    }
    PathGroups groups;
    for (auto& [id, paths] : byId)
        groups.push_back(std::move(paths));
    return groups;
}

std::vector<std::string> groupDifferences(const PathGroups& theirs,
                                          const ContentGroups::Result& ours,
                                          const std::function<std::string(quint32)>& path,
                                          bool oneNamePerFile, long long* repeated) {
    // Every name of our groups' members: (group, member).
    using Place = std::pair<std::size_t, std::size_t>;
    std::unordered_map<std::string, Place> where;
    std::unordered_map<quint32, Place> memberPlace;
    for (std::size_t g = 0; g < ours.groups.size(); ++g)
        for (std::size_t m = 0; m < ours.groups[g].members.size(); ++m) {
            const quint32 record = ours.groups[g].members[m];
            where[path(record)] = memberPlace[record] = {g, m};
        }
    for (const auto& [member, other] : ours.otherNames)
        if (auto it = memberPlace.find(member); it != memberPlace.end())
            where[path(other)] = it->second;

    auto listOf = [](const std::vector<std::string>& paths) {
        std::string text;
        for (std::size_t i = 0; i < paths.size() && i < 6; ++i)
            text += (i ? ", " : "") + paths[i];
        return paths.size() > 6 ? text + ", ..." : text;
    };
    auto membersOf = [&](std::size_t g) {
        std::vector<std::string> paths;
        for (quint32 record : ours.groups[g].members)
            paths.push_back(path(record));
        return paths;
    };

    std::vector<std::string> differences;
    std::vector<bool> seen(ours.groups.size(), false);
    long long again = 0;
    for (const std::vector<std::string>& group : theirs) {
        std::set<std::size_t> groupsNamed;
        std::set<Place> files;
        std::vector<std::string> unknown;
        for (const std::string& p : group) {
            const auto it = where.find(p);
            if (it == where.end()) {
                unknown.push_back(p);
                continue;
            }
            groupsNamed.insert(it->second.first);
            if (!files.insert(it->second).second) {
                ++again;
                if (oneNamePerFile)
                    differences.push_back("names one file twice: " + p);
            }
        }
        if (!unknown.empty())
            differences.push_back("lists files we do not group: " + listOf(unknown) +
                                  " (group of " + listOf(group) + ")");
        if (groupsNamed.size() > 1) {
            differences.push_back("joins files of " + std::to_string(groupsNamed.size()) +
                                  " of our groups: " + listOf(group));
        } else if (groupsNamed.size() == 1) {
            const std::size_t g = *groupsNamed.begin();
            if (files.size() != ours.groups[g].members.size())
                differences.push_back("lists " + std::to_string(files.size()) + " of the " +
                                      std::to_string(ours.groups[g].members.size()) +
                                      " files of our group " + listOf(membersOf(g)) + ": " +
                                      listOf(group));
            else if (seen[g])
                differences.push_back("lists our group twice: " + listOf(group));
            seen[g] = true;
        }
    }
    for (std::size_t g = 0; g < ours.groups.size(); ++g)
        if (!seen[g])
            differences.push_back("misses our group " + listOf(membersOf(g)));
    if (repeated)
        *repeated = again;
    return differences;
}
