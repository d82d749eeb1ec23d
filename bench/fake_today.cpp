// Preloaded into a measured planner by daybrook_xstart --today: the wall
// clock reads as the same time of day on DAYBROOK_BENCH_TODAY (YYYY-MM-DD),
// so that an unchanged program of any commit opens on a chosen day of the
// generated calendar. The monotonic clock, which the timings use, is left alone.
#include <dlfcn.h>
#include <sys/time.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

namespace {

using ClockGettime = int (*)(clockid_t, timespec *);
using GetTimeOfDay = int (*)(timeval *, void *);

ClockGettime realClockGettime()
{
    static const auto real = reinterpret_cast<ClockGettime>(dlsym(RTLD_NEXT, "clock_gettime"));
    return real;
}

// Whole days from the real date to the wanted one, in seconds (local time,
// so that a shift never crosses midnight).
time_t shiftSeconds()
{
    static const time_t shift = [] {
        const char *wanted = std::getenv("DAYBROOK_BENCH_TODAY");
        int year = 0, month = 0, day = 0;
        if (!wanted || std::sscanf(wanted, "%d-%d-%d", &year, &month, &day) != 3)
            return time_t(0);
        timespec now {};
        realClockGettime()(CLOCK_REALTIME, &now);
        tm local {};
        localtime_r(&now.tv_sec, &local);
        tm target = local;
        target.tm_year = year - 1900;
        target.tm_mon = month - 1;
        target.tm_mday = day;
        target.tm_isdst = -1;
        return mktime(&target) - now.tv_sec;
    }();
    return shift;
}

bool isWallClock(clockid_t id)
{
    return id == CLOCK_REALTIME || id == CLOCK_REALTIME_COARSE;
}

} // namespace

extern "C" int clock_gettime(clockid_t id, timespec *at)
{
    const int result = realClockGettime()(id, at);
    if (result == 0 && isWallClock(id))
        at->tv_sec += shiftSeconds();
    return result;
}

extern "C" int gettimeofday(timeval *at, void *zone)
{
    static const auto real = reinterpret_cast<GetTimeOfDay>(dlsym(RTLD_NEXT, "gettimeofday"));
    const int result = real(at, zone);
    if (result == 0 && at)
        at->tv_sec += shiftSeconds();
    return result;
}

extern "C" time_t time(time_t *at)
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    if (at)
        *at = now.tv_sec;
    return now.tv_sec;
}
