#include "stats/stat_tallies.h"

#include "platform/native_path.h"

#include <algorithm>
#include <unordered_map>

namespace {
// Seconds since the epoch of the first moment of `day` in local time. Where the clocks go back
// from 01:00 to 00:00, midnight comes twice and the day starts at the first one, so the moment
// is searched for rather than taken from the clock reading 00:00.
qint64 localMidnight(const QDate& day) {
    qint64 hi = day.startOfDay().toSecsSinceEpoch(); // on `day`
    qint64 lo = hi - 6 * 3600;                       // before it on any clock
    while (hi - lo > 1) {
        const qint64 mid = lo + (hi - lo) / 2;
        if (QDateTime::fromSecsSinceEpoch(mid).date() < day)
            lo = mid;
        else
            hi = mid;
    }
    return hi;
}

// The characters of a text: a character outside the basic plane is two UTF-16 units.
qsizetype characterCount(const QString& text) {
    qsizetype n = text.size();
    for (qsizetype i = 1; i < text.size(); ++i)
        if (text[i].isLowSurrogate() && text[i - 1].isHighSurrogate())
            --n;
    return n;
}
} // namespace

void StatTallies::clearVariables(const QDateTime& now) {
    filesProcessed = 0;
    totalBytes = 0;
    sizes = {};
    ages = {};
    hidden = readOnly = system = archive = Tally{};
    overhang = {};
    types_.clear();
    typeIndex_.clear();

    today_ = now.toLocalTime().date();
    recordableFrom_ = localMidnight(QDate(1980, 1, 1));
    recordableUntil_ = localMidnight(QDate(2108, 1, 1));
    tomorrow_ = localMidnight(today_.addDays(1));
    for (size_t i = 0; i < kAgeBounds.size(); ++i) {
        pastFrom_[i] = localMidnight(today_.addDays(-kAgeBounds[i]));
        futureUntil_[i] = localMidnight(today_.addDays(kAgeBounds[i] + 1));
    }
}

qint64 StatTallies::daysAgo(qint64 unixSeconds) const {
    if (unixSeconds < recordableFrom_ || unixSeconds >= recordableUntil_)
        return -1;
    const QDate day = QDateTime::fromSecsSinceEpoch(unixSeconds).toLocalTime().date();
    return std::abs(day.daysTo(today_));
}

int StatTallies::ageToIndex(qint64 days) {
    if (days < 0)
        return 0;
    for (size_t i = 0; i < kAgeBounds.size(); ++i)
        if (days <= kAgeBounds[i])
            return int(i) + 1;
    return 9;
}

int StatTallies::ageBucketOf(qint64 s) const {
    if (s < recordableFrom_ || s >= recordableUntil_)
        return 0;
    if (s < tomorrow_) {
        for (size_t i = 0; i < pastFrom_.size(); ++i)
            if (s >= pastFrom_[i])
                return int(i) + 1;
    } else {
        // A stamp in the future is as old as it is far ahead.
        for (size_t i = 0; i < futureUntil_.size(); ++i)
            if (s < futureUntil_[i])
                return int(i) + 1;
    }
    return 9;
}

int StatTallies::sizeBucket(qint64 size) {
    for (size_t i = 0; i < kSizeBounds.size(); ++i)
        if (size <= kSizeBounds[i])
            return int(i) + 1;
    return 9;
}

QString StatTallies::extensionOfName(const char* name, int length) {
    int dot = length - 1;
    while (dot >= 0 && name[dot] != '.')
        --dot;
    if (dot < 0)
        return QString();
    QString ext = fromNative(name + dot, length - dot);
    // One character at a time: a whole-string upper-casing may turn one letter into two
    // ("ß" into "SS") and so change the length that decides whether the type is tallied.
    // A letter takes its capital only when that capital's small letter is the letter itself:
    // the dotless i, the long s and the final sigma have the capitals of i, s and sigma, and
    // would otherwise share their rows.
    for (QChar& c : ext) {
        const QChar upper = c.toUpper();
        if (upper.toLower() == c)
            c = upper;
    }
    return ext;
}

void StatTallies::collectFileAttr(unsigned attributes, qint64 size) {
    const auto countUnder = [&](unsigned bit, Tally& tally) {
        if (attributes & bit)
            tally.add(size);
    };
    countUnder(0x01, readOnly);
    countUnder(0x02, hidden);
    countUnder(0x04, system);
    countUnder(0x20, archive);
}

void StatTallies::insertType(const QString& extension, qint64 size) {
    if (extension.size() > kMaxExtensionLength && characterCount(extension) > kMaxExtensionLength)
        return;
    const auto found = typeIndex_.constFind(extension);
    if (found != typeIndex_.constEnd()) {
        types_[size_t(found.value())].tally.add(size);
        return;
    }
    if (int(types_.size()) >= kMaxTypes)
        return;
    typeIndex_.insert(extension, int(types_.size()));
    types_.push_back(TypeEntry{extension, Tally{1, size}});
}

void StatTallies::crunchNumbers(const File& file) {
    const qint64 size = file.size;
    collectFileAttr(file.attributes, size);
    ages[Accessed][size_t(ageBucketOf(file.accessTime))].add(size);
    ages[Created][size_t(ageBucketOf(file.creationTime))].add(size);
    ages[Modified][size_t(ageBucketOf(file.writeTime))].add(size);
    insertType(extensionOfName(file.name, file.nameLength), size);
    sizes[size_t(sizeBucket(size))].add(size);
    totalBytes = addSize(totalBytes, size);
    for (size_t i = 0; i < kClusterSizes.size(); ++i) {
        const qint64 rest = size % kClusterSizes[i];
        if (rest != 0)
            overhang[i] += kClusterSizes[i] - rest;
    }
    ++filesProcessed;
}

std::optional<int> gaugePercent(qint64 value, qint64 total) {
    if (total <= 0)
        return std::nullopt;
    // 128 bits: value x 100 does not overflow even for the largest sums.
    const __int128 pct = __int128(value) * 100 / total;
    return int(std::clamp<__int128>(pct, 0, 100));
}

std::vector<int> topTenRanks(const std::vector<qint64>& values) {
    const size_t n = values.size();
    std::vector<int> ranks(n, 0);
    std::unordered_map<qint64, size_t> firstWith;
    for (size_t i = 0; i < n; ++i)
        firstWith.emplace(values[i], i); // keeps the first entry of each value
    std::vector<qint64> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    // From the largest value down: the k-th from the top gets rank k. Equal values reach the
    // same first entry again, whose rank each later (larger) rank number overwrites.
    for (size_t found = 0; found < 10 && found < n; ++found)
        ranks[firstWith[sorted[n - 1 - found]]] = int(found) + 1;
    return ranks;
}
