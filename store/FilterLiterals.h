#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// Date and time literals that the program writes into its own filter texts
// and reads back. They never follow the user's locale: some locales cannot
// read back their own short date or long time, and Qt's locale parser has
// crashed on one, so these are ISO forms read by a parser of our own.
namespace FilterLiterals {

QString date(const QDate &date); // "2024-05-01"
QString time(const QTime &time); // "09:30:00"

// The literals as a filter text holds them, in single quotes. The filter
// parser reads a doubled quote inside a literal as one quote, so a text
// with quotes in it comes back as it was.
QString quoted(const QDate &date);   // "'2024-05-01'"
QString quoted(const QTime &time);   // "'09:30:00'"
QString quoted(const QString &text); // "'O''Brien'" for O'Brien

// "YYYY-MM-DD" (years 1..9999); invalid QDate for anything else.
QDate readDate(const QString &text);
// "HH:MM:SS" or "HH:MM" (one-digit hours too); invalid QTime otherwise.
QTime readTime(const QString &text);

} // namespace FilterLiterals
