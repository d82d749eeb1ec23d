#pragma once

#include <QDate>
#include <QDateTime>

// The one source of "now" for the whole program. Tests pin it so that
// "today", reminders and purging are repeatable.
class Clock
{
public:
    static QDateTime now();
    static QDate today() { return now().date(); }

    // Pins "now" to a fixed moment; an invalid value returns to the system clock.
    static void setNowForTesting(const QDateTime &fixed);
};
