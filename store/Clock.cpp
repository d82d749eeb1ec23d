#include "store/Clock.h"

namespace {
QDateTime pinnedNow;
}

QDateTime Clock::now()
{
    return pinnedNow.isValid() ? pinnedNow : QDateTime::currentDateTime();
}

void Clock::setNowForTesting(const QDateTime &fixed)
{
    pinnedNow = fixed;
}
