#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// Date and time texts that a person reads and types back (edit boxes; the
// program's own filter literals are FilterLiterals'). The locale's own short
// date often has a two-digit year ("M/d/yy" reads "5/1/24" back as 1924) and
// its long time carries the zone name, so both are mended here: four-digit
// year, no zone.
namespace LocaleFormats {

QString shortDateFormat(); // e.g. "M/d/yyyy" for English (United States)
QString longTimeFormat();  // e.g. "h:mm:ss AP" for English (United States)

QString formatDate(const QDate &date);
QString formatTime(const QTime &time);

// Reads a date written by formatDate (also accepts ISO "yyyy-MM-dd" and the
// locale's own short format). Invalid QDate when it is not a date.
QDate parseDate(const QString &text);
// Reads a time written by formatTime (also "HH:mm:ss", "HH:mm", "h:mm AP").
QTime parseTime(const QString &text);

} // namespace LocaleFormats
