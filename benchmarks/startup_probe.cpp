// Starts a program and tells how long it takes until its first window is mapped on the X
// display, and how much memory it holds resident 2 s after the start. Beside the time, the
// processor time the program had used by then and the time it waited for a processor, which
// tell what a loaded machine added. Usage: startup_probe PROGRAM [ARGUMENT...]; prints
// "<ms to mapped> <resident kB> <processor ms to mapped> <ms waiting for a processor>".
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "scheduler_times.h"

extern char** environ;

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kResidentAt = std::chrono::seconds(2);
constexpr auto kMapDeadline = std::chrono::seconds(10);

// Events and errors come from malloc.
struct Free {
    void operator()(void* reply) const { std::free(reply); }
};
using Event = std::unique_ptr<xcb_generic_event_t, Free>;

// Every window mapped on the root from now on is reported to this connection.
bool WatchRoot(xcb_connection_t* connection) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    const xcb_void_cookie_t cookie =
        xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &mask);
    const std::unique_ptr<xcb_generic_error_t, Free> error{xcb_request_check(connection, cookie)};
    return !error;
}

bool IsTopLevelMap(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7f) != XCB_MAP_NOTIFY) return false;
    return !reinterpret_cast<const xcb_map_notify_event_t&>(event).override_redirect;
}

// The moment the first ordinary window is mapped; nothing when the program ends first or the
// deadline passes.
std::optional<Clock::time_point> WhenMapped(xcb_connection_t* connection, pid_t program,
                                            Clock::time_point deadline) {
    pollfd watched{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (Clock::now() < deadline) {
        while (Event event{xcb_poll_for_event(connection)}) {
            if (IsTopLevelMap(*event)) return Clock::now();
        }
        if (xcb_connection_has_error(connection)) return std::nullopt;
        int status = 0;
        if (waitpid(program, &status, WNOHANG) == program) return std::nullopt;
        poll(&watched, 1, 20);
    }
    return std::nullopt;
}

long ResidentKb(pid_t program) {
    std::ifstream status("/proc/" + std::to_string(program) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}
}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_probe PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) || !WatchRoot(connection)) {
        std::fprintf(stderr, "startup_probe: cannot watch the X display\n");
        return 2;
    }
    const Clock::time_point start = Clock::now();
    pid_t program = 0;
    if (posix_spawn(&program, argv[1], nullptr, nullptr, argv + 1, environ) != 0) {
        std::fprintf(stderr, "startup_probe: cannot start %s\n", argv[1]);
        return 2;
    }
    const std::optional<Clock::time_point> mapped =
        WhenMapped(connection, program, start + kMapDeadline);
    const SchedulerTimes untilMapped = SchedulerTimesOf(program);
    std::this_thread::sleep_until(start + kResidentAt);
    const long resident = ResidentKb(program);
    kill(program, SIGTERM);
    waitpid(program, nullptr, 0);
    xcb_disconnect(connection);
    if (!mapped) {
        std::fprintf(stderr, "startup_probe: %s mapped no window\n", argv[1]);
        return 1;
    }
    const double milliseconds = std::chrono::duration<double, std::milli>(*mapped - start).count();
    std::printf("%.1f %ld %.1f %.1f\n", milliseconds, resident, untilMapped.running,
                untilMapped.waiting);
    return 0;
}
