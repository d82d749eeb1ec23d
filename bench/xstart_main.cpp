// daybrook_xstart [--runs N] [--today YYYY-MM-DD] -- PROGRAM ARGS...
// Starts PROGRAM under the X server of $DISPLAY (Xvfb with a window manager)
// and times, from the moment before its spawn, until its first top-level
// window is mapped (MapNotify) and first exposed; loading the program and
// every library counts. An argument "{since}" becomes the monotonic clock at
// the spawn in ns (daybrook_startup --since). Each run gets a new
// XDG_RUNTIME_DIR, so no earlier copy is the running planner. --today
// preloads libdaybrook_faketoday.so (next to this program): the wall clock
// reads as that day. After the expose the program is ended, and its CPU time
// and peak memory up to then come from wait4().
#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

double monotonicMs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

long long monotonicNs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

struct Run
{
    double mapMs = -1;
    double exposeMs = -1;
    double cpuMs = 0;
    double peakMiB = 0;
};

xcb_atom_t atom(xcb_connection_t *x, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return found;
}

// The _NET_WM_PID a window carries, 0 without one (a window manager's frame).
long windowPid(xcb_connection_t *x, xcb_window_t window, xcb_atom_t pidAtom)
{
    xcb_get_property_reply_t *reply =
        xcb_get_property_reply(x, xcb_get_property(x, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    long pid = 0;
    if (reply && xcb_get_property_value_length(reply) >= 4)
        pid = *static_cast<const uint32_t *>(xcb_get_property_value(reply));
    std::free(reply);
    return pid;
}

pid_t spawn(std::vector<std::string> command, const std::string &runtimeDir, const std::string &preload,
            const std::string &today, long long since)
{
    for (std::string &argument : command)
        if (argument == "{since}")
            argument = std::to_string(since);
    const pid_t child = fork();
    if (child != 0)
        return child;
    setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
    if (!today.empty()) {
        setenv("LD_PRELOAD", preload.c_str(), 1);
        setenv("DAYBROOK_BENCH_TODAY", today.c_str(), 1);
    }
    std::vector<char *> argv;
    for (std::string &argument : command)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    std::perror("daybrook_xstart: exec");
    _exit(127);
}

// One start: the first window of the child's that maps, then its first expose.
Run measure(xcb_connection_t *x, xcb_atom_t pidAtom, const std::vector<std::string> &command,
            const std::string &preload, const std::string &today)
{
    char pattern[] = "/tmp/daybrook-xstart-XXXXXX";
    const std::string runtimeDir = mkdtemp(pattern);
    Run run;
    const long long since = monotonicNs();
    const double start = double(since) / 1e6;
    const pid_t child = spawn(command, runtimeDir, preload, today, since);
    std::set<xcb_window_t> watched;
    xcb_window_t mainWindow = XCB_WINDOW_NONE;
    const uint32_t windowEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_EXPOSURE;
    pollfd fd {xcb_get_file_descriptor(x), POLLIN, 0};
    while (run.exposeMs < 0 && monotonicMs() - start < 120000) {
        xcb_generic_event_t *event = xcb_poll_for_event(x);
        if (!event) {
            if (xcb_connection_has_error(x))
                break;
            poll(&fd, 1, 100);
            continue;
        }
        const double at = monotonicMs() - start;
        switch (event->response_type & ~0x80) {
        case XCB_CREATE_NOTIFY: {
            const auto *created = reinterpret_cast<xcb_create_notify_event_t *>(event);
            if (!created->override_redirect && watched.insert(created->window).second)
                xcb_change_window_attributes(x, created->window, XCB_CW_EVENT_MASK, &windowEvents);
            xcb_flush(x);
            break;
        }
        case XCB_MAP_NOTIFY: {
            const auto *mapped = reinterpret_cast<xcb_map_notify_event_t *>(event);
            if (mainWindow == XCB_WINDOW_NONE && mapped->event == mapped->window && watched.count(mapped->window)
                && windowPid(x, mapped->window, pidAtom) == child) {
                mainWindow = mapped->window;
                run.mapMs = at;
            }
            break;
        }
        case XCB_EXPOSE:
            if (mainWindow != XCB_WINDOW_NONE && reinterpret_cast<xcb_expose_event_t *>(event)->window == mainWindow)
                run.exposeMs = at;
            break;
        default:
            break;
        }
        std::free(event);
    }
    kill(child, SIGTERM);
    int status = 0;
    rusage usage {};
    wait4(child, &status, 0, &usage);
    run.cpuMs = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    run.peakMiB = double(usage.ru_maxrss) / 1024.0;
    std::filesystem::remove_all(runtimeDir);
    return run;
}

void summary(const char *name, std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    std::printf("%s min/median/max %.1f / %.1f / %.1f\n", name, values.front(), values[values.size() / 2],
                values.back());
}

int usage()
{
    std::fputs("usage: daybrook_xstart [--runs N] [--today YYYY-MM-DD] -- PROGRAM ARGS...\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 5;
    std::string today;
    int at = 1;
    for (; at < argc && std::strcmp(argv[at], "--") != 0; ++at) {
        if (std::strcmp(argv[at], "--runs") == 0 && at + 1 < argc)
            runs = std::atoi(argv[++at]);
        else if (std::strcmp(argv[at], "--today") == 0 && at + 1 < argc)
            today = argv[++at];
        else
            return usage();
    }
    if (at + 1 >= argc || runs < 1)
        return usage();
    const std::vector<std::string> command(argv + at + 1, argv + argc);
    const std::string preload = (std::filesystem::path(argv[0]).parent_path() / "libdaybrook_faketoday.so").string();

    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fputs("daybrook_xstart: no X display (run it under Xvfb with a window manager)\n", stderr);
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t rootEvents = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &rootEvents);
    const xcb_atom_t pidAtom = atom(x, "_NET_WM_PID");

    std::vector<double> maps, exposes, cpus, peaks;
    for (int i = 0; i < runs; ++i) {
        const Run run = measure(x, pidAtom, command, preload, today);
        std::printf("map_ms=%.1f expose_ms=%.1f cpu_ms=%.1f peak_mib=%.1f\n", run.mapMs, run.exposeMs, run.cpuMs,
                    run.peakMiB);
        std::fflush(stdout);
        if (run.exposeMs < 0)
            return 1;
        maps.push_back(run.mapMs);
        exposes.push_back(run.exposeMs);
        cpus.push_back(run.cpuMs);
        peaks.push_back(run.peakMiB);
    }
    summary("map_ms", maps);
    summary("expose_ms", exposes);
    summary("cpu_ms", cpus);
    summary("peak_mib", peaks);
    xcb_disconnect(x);
    return 0;
}
