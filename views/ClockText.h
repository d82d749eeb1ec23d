#pragma once

#include <QString>
#include <QTime>

// Times of day as the views write them: "hh:mm" on the 24-hour clock,
// otherwise "h:mm" followed by "am" or "pm".
namespace ClockText {

QString format(const QTime &time, bool use24Hour);

// Label of a day-view block: start "-" end, a space, the subject.
QString blockLabel(const QTime &start, const QTime &end, const QString &subject, bool use24Hour);

} // namespace ClockText
