#include "platform/file_time.h"

#include <ctime>

namespace {
constexpr int kFirstYear = 1980;
constexpr int kLastYear = 2107; // 1980 + 127, the largest year seven bits hold

quint32 pack(int year, int month, int day, int hour, int minute, int second) {
    if (year < kFirstYear || year > kLastYear)
        return 0;
    const quint32 date = (quint32(year - kFirstYear) << 9) | (quint32(month) << 5) | quint32(day);
    const quint32 time = (quint32(hour) << 11) | (quint32(minute) << 5) | quint32(second / 2);
    return (date << 16) | time;
}

const QDate& dayZero() {
    static const QDate zero(1899, 12, 30);
    return zero;
}
} // namespace

quint32 packFileTime(qint64 unixSeconds) {
    // localtime_r rather than QDateTime: this runs once per listed file and is several times
    // quicker, with the same time-zone rules.
    const time_t t = time_t(unixSeconds);
    if (qint64(t) != unixSeconds)
        return 0;
    struct tm local;
    if (!::localtime_r(&t, &local))
        return 0;
    // tm_sec may be 60 on a leap second; the packed form cannot hold it.
    const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
    return pack(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                second);
}

quint32 packLocalDateTime(const QDateTime& local) {
    if (!local.isValid())
        return 0;
    const QDateTime l = local.timeSpec() == Qt::LocalTime ? local : local.toLocalTime();
    const QDate d = l.date();
    const QTime t = l.time();
    return pack(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

QDate packedDate(quint32 packed) {
    const quint32 date = packed >> 16;
    const int year = kFirstYear + int(date >> 9);
    const int month = int((date >> 5) & 0x0F);
    const int day = int(date & 0x1F);
    if (!QDate::isValid(year, month, day))
        return QDate();
    return QDate(year, month, day);
}

QTime packedTime(quint32 packed) {
    const quint32 time = packed & 0xFFFF;
    const int hour = int(time >> 11);
    const int minute = int((time >> 5) & 0x3F);
    const int second = int(time & 0x1F) * 2;
    if (!QTime::isValid(hour, minute, second))
        return QTime();
    return QTime(hour, minute, second);
}

QDateTime unpackFileTime(quint32 packed) {
    const QDate d = packedDate(packed);
    const QTime t = packedTime(packed);
    if (!d.isValid() || !t.isValid())
        return QDateTime();
    return QDateTime(d, t, Qt::LocalTime);
}

qint64 unpackToFileTime(quint32 packed) {
    const QDateTime dt = unpackFileTime(packed);
    return dt.isValid() ? dt.toSecsSinceEpoch() : -1;
}

qint64 dayNumber(const QDate& date) {
    return dayZero().daysTo(date);
}

QDate fromDayNumber(qint64 day) {
    return dayZero().addDays(day);
}
