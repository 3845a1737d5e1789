#pragma once

#include "finders/file_records.h"

#include <QDate>

struct ScanFile;

// Which time stamp of a file the date finder tests.
enum class DateKind { Accessed, Created, Modified };
// The kind of range: on or before the first date, between both (both included), on or after
// the first date.
enum class DateWhen { Before, Between, After };

// The date finder's test, by whole local days. A time that no packed file date-time can hold
// (before 1980 or after 2107, shown as an empty date) passes only "On or Before". The day
// bounds are worked out once, so a file costs two integer comparisons.
class DateRange {
public:
    DateRange() = default;
    DateRange(DateWhen when, const QDate& start, const QDate& end);
    bool passes(qint64 unixSeconds) const;

private:
    DateWhen when_ = DateWhen::Before;
    qint64 from_ = 0;  // first second that passes
    qint64 until_ = 0; // first second that no longer passes
    FileStamps stamps_;
};

// The time stamp of `kind` of a walked file (seconds since the epoch).
qint64 fileStamp(const ScanFile& file, DateKind kind);
