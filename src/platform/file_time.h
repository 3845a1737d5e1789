#pragma once

#include <QDateTime>
#include <QtGlobal>

// The packed file date-time: the classic 32-bit local date (high half: years since 1980 in
// 7 bits, month, day) and time (low half: hours, minutes, seconds / 2). Valid for
// 1980-01-01 to 2107-12-31.

// A file time (seconds since the Unix epoch) converted to local time and packed; 0 when the
// local time falls outside 1980..2107.
quint32 packFileTime(qint64 unixSeconds);
// Packs a local date and time; 0 when invalid or outside 1980..2107.
quint32 packLocalDateTime(const QDateTime& local);
// The local date and time a packed value stands for; an invalid QDateTime when the packed
// value is no valid date or time (0 among them).
QDateTime unpackFileTime(quint32 packed);
// The date half alone (invalid when it is no valid date) and the time half alone (invalid when
// it is no valid time).
QDate packedDate(quint32 packed);
QTime packedTime(quint32 packed);
// Back to seconds since the epoch (local time); -1 when the packed value is not valid.
qint64 unpackToFileTime(quint32 packed);

// Day number of a date as whole days since 30 December 1899 (day 0).
qint64 dayNumber(const QDate& date);
QDate fromDayNumber(qint64 day);
