// Ctrl+C (and a polite kill) asks a running log to stop after its current reading.
#include "cli/stop_signal.h"

#include <csignal>

namespace {
// Written by the signal handler only; the one kind of variable a handler may set.
volatile std::sig_atomic_t stopRequested = 0;

extern "C" void RequestStop(int) {
    stopRequested = 1;
}
}  // namespace

void CatchStopSignals() {
#ifdef _WIN32
    // Here a handler is used once anyway.
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
#else
    struct sigaction action = {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    // The handler is used once: a second Ctrl+C, during a long time-out say, ends the program.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

bool StopRequested() {
    return stopRequested != 0;
}
