#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <QTime>

// The pieces of the lines that the terminal commands print for scripts
// (`--agenda`, `--search`): locale-free, one item to a line. They may print
// tens of thousands of lines, so each piece is appended by hand.
namespace AgendaLine {

// YYYY-MM-DD; nothing for a blank date.
void appendDate(QString &line, const QDate &date);
// HH:MM; nothing for a blank time.
void appendTime(QString &line, const QTime &time);
// The text with each tab or line break made a blank: a subject may hold
// them as typed, and they would split the line.
void appendOneLine(QString &line, QStringView text);

} // namespace AgendaLine
