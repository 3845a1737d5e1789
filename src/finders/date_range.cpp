#include "finders/date_range.h"

#include "finders/scan_engine.h"

#include <QDateTime>
#include <limits>

namespace {
qint64 dayStart(const QDate& day) {
    return QDateTime(day, QTime(0, 0), Qt::LocalTime).toSecsSinceEpoch();
}
} // namespace

DateRange::DateRange(DateWhen when, const QDate& start, const QDate& end) : when_(when) {
    constexpr qint64 never = std::numeric_limits<qint64>::max();
    switch (when) {
    case DateWhen::Before:
        from_ = std::numeric_limits<qint64>::min();
        until_ = dayStart(start.addDays(1));
        break;
    case DateWhen::Between:
        from_ = dayStart(start);
        until_ = start > end ? from_ : dayStart(end.addDays(1));
        break;
    case DateWhen::After:
        from_ = dayStart(start);
        until_ = never;
        break;
    }
}

bool DateRange::passes(qint64 unixSeconds) const {
    if (stamps_.stamp(unixSeconds) == FileStamps::Outside)
        return when_ == DateWhen::Before;
    return unixSeconds >= from_ && unixSeconds < until_;
}

qint64 fileStamp(const ScanFile& file, DateKind kind) {
    switch (kind) {
    case DateKind::Accessed:
        return file.accessTime;
    case DateKind::Created:
        return file.creationTime;
    case DateKind::Modified:
        break;
    }
    return file.writeTime;
}
