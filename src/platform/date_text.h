#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTime>
#include <vector>

// The one place that writes and reads dates and times as text: the locale's short date form
// with a four-digit year, and its time form with seconds and no zone name. Every window uses
// these, so the texts of all lists, reports and date fields agree. Under the plain C or POSIX
// locale the date form is the numeric "yyyy-MM-dd" (see LocaleDateTexts).
QString shortDateFormat();                // for example "M/d/yyyy" or "dd/MM/yyyy"
QString longTimeFormat();                 // for example "h:mm:ss AP" or "HH:mm:ss"
QString shortDateText(const QDate& date); // empty for an invalid date
QString longTimeText(const QTime& time);  // empty for an invalid time
// Reads texts in those forms; an invalid date or time when the text cannot be read. A date
// may also carry a two-digit year (69 to 99 are 1969 to 1999, 00 to 68 are 2000 to 2068); a
// time may leave out its seconds or be written as 24-hour "H:mm:ss".
QDate parseShortDate(const QString& text);
QTime parseLongTime(const QString& text);
// Texts at least as wide as any date or time text of those forms (every month name, two-digit
// days and hours, both halves of the day), for sizing the columns that show them.
QStringList sampleDateTexts();
QStringList sampleTimeTexts();

// Whether the environment's locale for dates and times is the plain C or POSIX one: the first
// of LC_ALL, LC_TIME and LANG that is set names "C", "POSIX" or "C.<codeset>" (such as
// "C.UTF-8"), or none is set.
bool isPlainTimeLocale(const QByteArray& lcAll, const QByteArray& lcTime, const QByteArray& lang);

// The same for any locale; the functions above use the system locale's, made once. The C
// locale's own short form ("d MMM yyyy") gives "8 Dec 2026", English month names under a locale
// that promises no language, and texts whose width changes with the month; its dates are
// written and read as "yyyy-MM-dd" instead: numeric, one width for every date, unambiguous
// where day/month and month/day orders meet, in the order of the C library's own numeric
// date, and sorted as text they are sorted by date.
class LocaleDateTexts {
public:
    explicit LocaleDateTexts(const QLocale& locale);
    QString dateFormat() const { return date_; }
    QString timeFormat() const { return time_; }
    QString dateText(const QDate& date) const;
    QString timeText(const QTime& time) const;
    QDate parseDate(const QString& text) const;
    QTime parseTime(const QString& text) const;
    QStringList dateSamples() const;
    QStringList timeSamples() const;

    // One part of a format: a run of one field letter, or literal text.
    struct Part {
        QChar field; // the field letter, or a null QChar for literal text
        int count = 0;
        QString literal;
    };

private:
    QDate readDate(const QString& text) const;

    QLocale locale_;
    QString date_;        // four-digit year
    QString dateAsGiven_; // the locale's own, perhaps with a two-digit year
    QString time_;
    QString shortTime_;
    std::vector<Part> dateParts_;
    bool quickDates_ = false;   // dateParts_ are numbers and month names in ASCII digits
    QStringList monthNames_[2]; // [0] short, [1] long; each month's format and stand-alone name
};
