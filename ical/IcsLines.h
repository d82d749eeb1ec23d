#pragma once

#include "store/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>

#include <libical/ical.h>

// The content lines of an iCalendar text and the checks made on them
// before libical sees them: libical forgives a broken structure, recurses
// as deep as a file nests, expands any time zone rule however fine, and
// rescans a long line for every kilobyte it reads; each of these is
// stopped here with the line it concerns.
namespace IcsLines {

// One content line, folded lines joined, with the number of its first
// physical line. The bytes are those of the file (no decoding).
struct Line
{
    int number = 0;
    QByteArray text;
};

// Lines end in CR LF, LF or (in files of old Mac programs) CR alone.
QList<Line> unfold(const QByteArray &text);

// The first reason the lines cannot be read as a calendar, as
// "line N: ..."; empty when they can.
QString firstProblem(const QList<Line> &lines);

// libical's tree of the lines, fed one at a time, owned by the caller
// (icalcomponent_free). Fails when the lines hold no component at all.
// progress(done, total) returns false to stop; then it is cancelled.
using Progress = std::function<bool(int, int)>;
Result<icalcomponent *> parse(const QList<Line> &lines, const Progress &progress);

// The first error libical marked in the tree that spoils a value we read.
QString markedError(icalcomponent *root, const QList<Line> &lines);

// File text as a message may quote it: control characters written as
// \xNN and at most `limit` characters.
QString shown(QByteArrayView text, int limit = 60);

// Components nest no deeper than this: VCALENDAR, VEVENT, VALARM is 3.
constexpr int maxDepth = 32;

} // namespace IcsLines
