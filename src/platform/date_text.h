#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// The one place that writes and reads dates and times as text: the locale's short date form
// with a four-digit year, and its time form with seconds and no zone name. Every window uses
// these, so the texts of all lists, reports and date fields agree.
QString shortDateFormat(); // for example "M/d/yyyy" or "dd/MM/yyyy"
QString longTimeFormat();  // for example "h:mm:ss AP" or "HH:mm:ss"
QString shortDateText(const QDate& date);
QString longTimeText(const QTime& time);
// Reads texts in those forms; an invalid date or time when the text cannot be read.
QDate parseShortDate(const QString& text);
QTime parseLongTime(const QString& text);
