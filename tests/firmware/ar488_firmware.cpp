// ar488-firmware: the AR488's own firmware on a simulated Arduino Uno, with the bench's
// instruments on a GPIB bus at its pins, for the adapter library to be tested against what real
// AR488 adapters run. Prints the pseudo-terminal that GPIB_ADAPTER takes, then serves until it is
// ended (SIGTERM, SIGINT), unplugged (SIGUSR1, at the host's next "++read"), or, given a command
// after "--", until that command ends. Its figures (simulated against real time) go to standard
// error at the end. A test program: it links simavr (GPL-3) and runs the firmware (GPL-3);
// neither is installed or packaged.
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "firmware_runner.h"
#include "runner_options.h"

namespace {
volatile std::sig_atomic_t ended = 0;
volatile std::sig_atomic_t unplugAsked = 0;

void End(int) {
    ended = 1;
}

void Unplug(int) {
    unplugAsked = 1;
}

// The command, started with GPIB_ADAPTER naming the port; its process id, or -1.
pid_t Start(const std::vector<std::string>& command, const std::string& port) {
    const pid_t child = ::fork();
    if (child != 0) return child;
    ::setenv("GPIB_ADAPTER", port.c_str(), 1);
    std::vector<char*> arguments;
    for (const std::string& argument : command)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    ::execvp(arguments[0], arguments.data());
    std::perror(("ar488-firmware: " + command[0]).c_str());
    std::_Exit(127);
}
}  // namespace

int main(int argc, char* argv[]) {
    std::string error;
    const std::optional<firmware::RunnerOptions> options =
        firmware::ParseOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "ar488-firmware: %s\n%s", error.c_str(), firmware::kUsage);
        return 2;
    }
    std::unique_ptr<firmware::FirmwareRunner> runner =
        firmware::FirmwareRunner::Make(*options, error);
    if (!runner) {
        std::fprintf(stderr, "ar488-firmware: %s\n", error.c_str());
        return 1;
    }
    std::signal(SIGTERM, End);
    std::signal(SIGINT, End);
    std::signal(SIGHUP, End);
    std::signal(SIGUSR1, Unplug);
    std::signal(SIGPIPE, SIG_IGN);
    std::printf("%s\n", runner->Port().c_str());
    std::fflush(stdout);

    const pid_t child = options->command.empty() ? -1 : Start(options->command, runner->Port());
    int childStatus = 0;
    bool childEnded = child <= 0;
    const bool ran = runner->Run([&] {
        if (unplugAsked) {
            unplugAsked = 0;
            runner->UnplugAtNextRead();
        }
        if (!childEnded) childEnded = ::waitpid(child, &childStatus, WNOHANG) == child;
        return ended || (child > 0 && childEnded);
    });
    std::fprintf(stderr, "ar488-firmware: %s\n", runner->Summary().c_str());
    // The program goes on without its adapter (unplugged) until it ends; ended ourselves, we
    // end it too.
    if (!childEnded) {
        if (ended) ::kill(child, SIGTERM);
        ::waitpid(child, &childStatus, 0);
    }
    if (!ran) return 1;
    if (child <= 0) return 0;
    return WIFEXITED(childStatus) ? WEXITSTATUS(childStatus) : 128 + WTERMSIG(childStatus);
}
