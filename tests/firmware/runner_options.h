// The runner's command line: the firmware to run, the devices' habits beyond the bench's, and a
// command to serve.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bus_device.h"

namespace firmware {

constexpr const char* kUsage =
    "Usage: ar488-firmware FIRMWARE.elf [--secondaries PAD=SAD[,SAD...]] [--slow PAD@SECONDS]\n"
    "                      [--trickle PAD@SECONDS] [--answers PAD=TEXT]\n"
    "                      [-- COMMAND [ARGUMENT...]]\n"
    "Runs the AR488's firmware on a simulated Arduino Uno, its serial port on a new\n"
    "pseudo-terminal (named on the first line of standard output), its GPIB pins on a bus\n"
    "with the instruments that GPIB_BENCH names (GPIB_BENCH_TRACE, GPIB_BENCH_STATE as for\n"
    "the bench). The board resets whenever its port is opened. SIGUSR1 unplugs the port at\n"
    "the host's next \"++read\".\n"
    "  --secondaries PAD=SAD,...  the instrument at PAD answers to these secondary addresses\n"
    "                             (96 to 126) instead of its primary one\n"
    "  --slow PAD@SECONDS         after each message, the instrument at PAD holds off data\n"
    "                             (NRFD) that long, and answers no sooner\n"
    "  --trickle PAD@SECONDS      the instrument at PAD sends its answers' bytes that far apart\n"
    "  --answers PAD=TEXT         a test instrument at PAD answers every message with TEXT\n"
    "                             (\\xNN, \\n, \\r and \\\\ as in C)\n"
    "  -- COMMAND                 runs COMMAND with GPIB_ADAPTER naming the port, until it ends,\n"
    "                             and ends with its exit status\n";

struct RunnerOptions {
    std::string firmware;
    std::map<int, DeviceHabits> habits;
    std::map<int, std::string> answers;
    std::vector<std::string> command;
};

// The options, or nothing (with the reason in `error`) when the command line is wrong.
std::optional<RunnerOptions> ParseOptions(int argc, char* argv[], std::string& error);

}  // namespace firmware
