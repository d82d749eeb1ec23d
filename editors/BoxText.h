#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// The texts the editor's date and time boxes show and read back. A date is
// the locale's short date with a four-digit year; a time is "hh:mm" on the
// 24-hour clock and "h:mm AM/PM" otherwise. Reading is lenient the way a
// user types: "8:00", "08:00", "8:00 AM" and "8:00:00 AM" are one time.
namespace BoxText {

QString date(const QDate &date);
QString time(const QTime &time, bool twentyFourHour);
// The all-day toggle's switch-off path shows the locale's own AM and PM
// designators instead of the fixed "AM"/"PM".
QString timeWithLocaleAmPm(const QTime &time, bool twentyFourHour);

// Invalid when the text is no date or time.
QDate readDate(const QString &text);
QTime readTime(const QString &text);

} // namespace BoxText
