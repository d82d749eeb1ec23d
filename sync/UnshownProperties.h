#pragma once

#include <QByteArray>
#include <QStringList>

// What a server's object holds that the planner does not show (ATTENDEE,
// ORGANIZER, CATEGORIES beyond the event type, further VALARMs, X-
// properties, SEQUENCE, ...) goes back with the planner's own version of
// it, untouched, so that editing an item here strips nothing from it.
namespace UnshownProperties {

// fresh: the object as the planner exports it now; raw: the object as the
// server last gave it. Components are matched by kind and RECURRENCE-ID;
// each fresh one gains the raw one's properties of every kind the planner
// never writes, its CATEGORIES other than the type names, and its VALARMs
// after the first (the planner holds one reminder). SEQUENCE goes up by
// one. A start, end or due time that stands for the same moment as the
// raw one goes back in the raw one's zone. Without a readable raw object, fresh comes back as it is.
QByteArray merged(const QByteArray &fresh, const QByteArray &raw, const QStringList &typeNames);

} // namespace UnshownProperties
