// The emulated adapter as a program: a Prologix or AR488 in front of the bench that GPIB_BENCH
// describes, served on a pseudo-terminal or on 127.0.0.1. It prints what GPIB_ADAPTER takes to
// reach it, then serves until it is ended (or unplugged; SIGUSR1 unplugs it as the next answer
// is read). Given a command after "--", it starts that instead, with GPIB_ADAPTER set, and serves
// until the command ends, with its exit status. The bench's trace, GPIB_BENCH_TRACE, shows the
// host's lines beside the bus messages.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/emulator/emulated_adapter.h"
#include "bench/emulator/host_port.h"
#include "bench/emulator/host_program.h"
#include "bench/setup.h"

namespace {
constexpr const char* kUsage =
    "Usage: adapter-emulator prologix|ar488 [--tcp[=PORT]] [--version TEXT] [--verbose]\n"
    "                        [--reset-seconds S] [--keeps-input] [--unplug-at-read N]\n"
    "                        [--slow PAD@SECONDS]\n"
    "                        [-- COMMAND [ARGUMENT...]]\n";

volatile std::sig_atomic_t stopped = 0;
// SIGUSR1: the cable is pulled as the next answer is read.
volatile std::sig_atomic_t unplugAsked = 0;

struct Options {
    adapter::Kind kind = adapter::Kind::Prologix;
    bool tcp = false;
    int port = 0;
    std::string version;
    bool verbose = false;
    double resetSeconds = -1;  // the model's own
    bool keepsInput = false;
    int unplugAtRead = 0;
    int slowPad = 0;
    double slowSeconds = 0;
    std::vector<std::string> command;  // served instead of printing where the adapter is
};

// The value of "--name=value" or of "--name value"; nothing when `argument` is another option.
const char* Value(const char* name, int argc, char* argv[], int& i) {
    const std::size_t length = std::strlen(name);
    if (std::strncmp(argv[i], name, length) != 0) return nullptr;
    if (argv[i][length] == '=') return argv[i] + length + 1;
    if (argv[i][length] != '\0') return nullptr;
    return i + 1 < argc ? argv[++i] : "";
}

bool Parse(int argc, char* argv[], Options& options) {
    if (argc < 2) return false;
    const std::string model = argv[1];
    if (model != "prologix" && model != "ar488") return false;
    options.kind = model == "ar488" ? adapter::Kind::Ar488 : adapter::Kind::Prologix;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--tcp") {
            options.tcp = true;
        } else if (const char* port = Value("--tcp", argc, argv, i)) {
            options.tcp = true;
            options.port = std::atoi(port);
        } else if (const char* version = Value("--version", argc, argv, i)) {
            options.version = version;
        } else if (argument == "--verbose") {
            options.verbose = true;
        } else if (const char* seconds = Value("--reset-seconds", argc, argv, i)) {
            options.resetSeconds = std::atof(seconds);
        } else if (argument == "--keeps-input") {
            options.keepsInput = true;
        } else if (const char* read = Value("--unplug-at-read", argc, argv, i)) {
            options.unplugAtRead = std::atoi(read);
        } else if (const char* slow = Value("--slow", argc, argv, i)) {
            if (std::sscanf(slow, "%d@%lf", &options.slowPad, &options.slowSeconds) != 2) {
                return false;
            }
        } else if (argument == "--") {
            options.command.assign(argv + i + 1, argv + argc);
            return !options.command.empty();
        } else {
            return false;
        }
    }
    return true;
}

std::string VersionOf(const Options& options) {
    if (!options.version.empty()) return options.version;
    if (options.kind == adapter::Kind::Ar488) return std::string(bench::kAr488Version);
    return std::string(options.tcp ? bench::kPrologixEthernetVersion : bench::kPrologixUsbVersion);
}

// Serves until stopped, unplugged, or the end of the program served, if there is one.
void Serve(bench::HostPort& port, bench::EmulatedAdapter& adapter, bench::HostProgram* program) {
    bool last = false;
    while (!stopped && !adapter.Unplugged() && !last) {
        if (unplugAsked) adapter.UnplugAtNextRead();
        unplugAsked = 0;
        // What the program sent just before it ended is still taken.
        last = program && !program->Running();
        bool opened = false;
        const std::string bytes = port.Wait(last ? 0.0 : 0.2, opened);
        if (opened) adapter.Opened();
        adapter.Receive(bytes);
        // What the host sent while the adapter was busy on the bus waited in its input.
        while (adapter.Busy() && !adapter.Unplugged()) {
            const std::string waiting = port.Pending();
            if (waiting.empty()) break;
            adapter.ReceivedWhileBusy(waiting);
        }
        port.Send(adapter.TakeOutput());
    }
}
}  // namespace

int main(int argc, char* argv[]) {
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string error;
    std::unique_ptr<bench::HostPort> port =
        options.tcp ? bench::ListenOnTcp(options.port, error) : bench::OpenPseudoTerminal(error);
    if (!port) {
        std::fprintf(stderr, "adapter-emulator: %s\n", error.c_str());
        return 1;
    }
    std::unique_ptr<bench::Bench> bench = bench::BenchFromEnvironment();
    bench::EmulatedAdapter adapter(options.kind, VersionOf(options), *bench,
                                   std::make_shared<bench::RealClock>());
    // Only a serial port's opening resets an Arduino.
    if (options.tcp) {
        adapter.SetResetSeconds(0);
    } else if (options.resetSeconds >= 0) {
        adapter.SetResetSeconds(options.resetSeconds);
    }
    if (options.keepsInput) adapter.SetLosesInput(false);
    adapter.SetVerbose(options.verbose);
    adapter.UnplugAtRead(options.unplugAtRead);
    if (options.slowPad > 0) adapter.SlowDown(options.slowPad, options.slowSeconds);
    std::signal(SIGTERM, [](int) { stopped = 1; });
    std::signal(SIGINT, [](int) { stopped = 1; });
    std::signal(SIGUSR1, [](int) { unplugAsked = 1; });
    bench->Note("adapter serves on " + port->Name());
    if (options.command.empty()) {
        std::printf("%s\n", port->Name().c_str());
        std::fflush(stdout);
        Serve(*port, adapter, nullptr);
        return 0;
    }
    bench::HostProgram program;
    if (!program.Start(options.command, port->Name())) return 1;
    Serve(*port, adapter, &program);
    program.Stop();
    return program.Status();
}
