// The emulated adapter as a program: a Prologix or AR488 in front of the bench that GPIB_BENCH
// describes, served on a pseudo-terminal or on 127.0.0.1. It prints what GPIB_ADAPTER takes to
// reach it, then serves until it is ended (or unplugged; SIGUSR1 unplugs it as the next answer
// is read). Given a command after "--", it starts that instead, with GPIB_ADAPTER set, and serves
// until the command ends, with its exit status. The bench's trace, GPIB_BENCH_TRACE, shows the
// host's lines beside the bus messages.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/emulator/adapter_words.h"
#include "bench/emulator/emulated_adapter.h"
#include "bench/emulator/host_port.h"
#include "bench/emulator/host_program.h"
#include "bench/setup.h"

namespace {
constexpr const char* kUsage =
    "Usage: adapter-emulator prologix|ar488 [--tcp[=PORT]] [--version TEXT] [--verbose]\n"
    "                        [--reset-seconds S] [--keeps-input] [--unplug-at-read N]\n"
    "                        [--slow PAD@SECONDS] [--trickle PAD@SECONDS]\n"
    "                        [--holds-nrfd PAD@SECONDS] [--latency-ms MS]\n"
    "                        [--without-fndl] [--greets] [--saved NAME=VALUE[,NAME=VALUE...]]\n"
    "                        [--secondary PAD:SAD[,PAD:SAD...]]\n"
    "                        [-- COMMAND [ARGUMENT...]]\n";

volatile std::sig_atomic_t stopped = 0;
// SIGUSR1: the cable is pulled as the next answer is read.
volatile std::sig_atomic_t unplugAsked = 0;

// A fault of one instrument: "PAD@SECONDS".
struct AtPad {
    int pad = 0;
    double seconds = 0;
};

struct Options {
    bool ar488 = false;
    bool tcp = false;
    int port = 0;
    bench::AdapterTraits traits;
    int unplugAtRead = 0;
    std::vector<AtPad> slow, trickle, holdsNrfd;
    std::vector<std::pair<int, int>> secondaries;
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

bool ParseAtPad(const char* text, std::vector<AtPad>& faults) {
    AtPad fault;
    if (std::sscanf(text, "%d@%lf", &fault.pad, &fault.seconds) != 2) return false;
    faults.push_back(fault);
    return true;
}

// "flags=6,eoi=1": settings kept in the adapter's memory.
bool ParseSaved(const char* text, std::map<std::string, std::string>& saved) {
    for (const std::string& item : bench::Words(text, ",")) {
        const std::size_t equals = item.find('=');
        if (equals == std::string::npos || equals == 0) return false;
        saved[item.substr(0, equals)] = item.substr(equals + 1);
    }
    return true;
}

// "9:96,9:97": listeners at secondary addresses.
bool ParseSecondaries(const char* text, std::vector<std::pair<int, int>>& secondaries) {
    for (const std::string& item : bench::Words(text, ",")) {
        int pad = 0;
        int sad = 0;
        if (std::sscanf(item.c_str(), "%d:%d", &pad, &sad) != 2 || pad < 1 || pad > 30 ||
            sad < 96 || sad > 126) {
            return false;
        }
        secondaries.emplace_back(pad, sad);
    }
    return true;
}

// One option at argv[i]; false when it is not understood.
bool ParseOption(int argc, char* argv[], int& i, Options& options) {
    const std::string argument = argv[i];
    bench::AdapterTraits& traits = options.traits;
    if (argument == "--tcp") {
        options.tcp = true;
    } else if (const char* port = Value("--tcp", argc, argv, i)) {
        options.tcp = true;
        options.port = std::atoi(port);
    } else if (const char* version = Value("--version", argc, argv, i)) {
        traits.version = version;
    } else if (argument == "--verbose") {
        traits.verbose = true;
    } else if (const char* seconds = Value("--reset-seconds", argc, argv, i)) {
        traits.resetSeconds = std::atof(seconds);
    } else if (argument == "--keeps-input") {
        traits.losesInput = false;
    } else if (const char* read = Value("--unplug-at-read", argc, argv, i)) {
        options.unplugAtRead = std::atoi(read);
    } else if (const char* latency = Value("--latency-ms", argc, argv, i)) {
        traits.latency = std::atof(latency) / 1000.0;
    } else if (argument == "--without-fndl") {
        traits.findsListeners = false;
    } else if (argument == "--greets") {
        traits.greets = true;
    } else if (const char* saved = Value("--saved", argc, argv, i)) {
        return ParseSaved(saved, traits.saved);
    } else if (const char* secondaries = Value("--secondary", argc, argv, i)) {
        return ParseSecondaries(secondaries, options.secondaries);
    } else if (const char* slow = Value("--slow", argc, argv, i)) {
        return ParseAtPad(slow, options.slow);
    } else if (const char* trickle = Value("--trickle", argc, argv, i)) {
        return ParseAtPad(trickle, options.trickle);
    } else if (const char* held = Value("--holds-nrfd", argc, argv, i)) {
        return ParseAtPad(held, options.holdsNrfd);
    } else {
        return false;
    }
    return true;
}

bool Parse(int argc, char* argv[], Options& options) {
    if (argc < 2) return false;
    const std::string model = argv[1];
    if (model != "prologix" && model != "ar488") return false;
    options.ar488 = model == "ar488";
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            options.command.assign(argv + i + 1, argv + argc);
            return !options.command.empty();
        }
        if (!ParseOption(argc, argv, i, options)) return false;
    }
    return true;
}

bench::AdapterModel ModelOf(const Options& options) {
    if (options.ar488) return bench::AdapterModel::Ar488;
    return options.tcp ? bench::AdapterModel::PrologixEthernet : bench::AdapterModel::PrologixUsb;
}

void SetFaults(const Options& options, bench::EmulatedAdapter& adapter) {
    adapter.UnplugAtRead(options.unplugAtRead);
    for (const AtPad& slow : options.slow) adapter.SlowDown(slow.pad, slow.seconds);
    for (const AtPad& trickle : options.trickle) adapter.Trickle(trickle.pad, trickle.seconds);
    for (const AtPad& held : options.holdsNrfd) adapter.HoldNrfd(held.pad, held.seconds);
    for (const auto& [pad, sad] : options.secondaries) adapter.ListenAtSecondary(pad, sad);
}

// Serves until stopped, unplugged, or the end of the program served, if there is one.
void Serve(bench::HostPort& port, bench::EmulatedAdapter& adapter, driver::Clock& clock,
           bench::HostProgram* program) {
    bool last = false;
    while (!stopped && !adapter.Unplugged() && !last) {
        if (unplugAsked) adapter.UnplugAtNextRead();
        unplugAsked = 0;
        // What the program sent just before it ended is still taken.
        last = program && !program->Running();
        double wait = last ? 0.0 : 0.2;
        // The adapter is ahead of the host while busy: what it said goes out when it is due.
        if (const std::optional<double> due = adapter.NextOutputAt()) {
            wait = std::clamp(*due - clock.Now(), 0.0, wait);
        }
        bool opened = false;
        const std::string bytes = port.Wait(wait, opened);
        if (opened) adapter.Opened();
        adapter.Receive(bytes);
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
    // Only a serial port's opening resets an Arduino.
    if (options.tcp) options.traits.resetSeconds = 0;
    auto real = std::make_shared<driver::RealClock>();
    auto clock = std::make_shared<bench::AdapterClock>(real);
    std::unique_ptr<bench::Bench> bench = bench::BenchFromEnvironment(clock);
    bench::EmulatedAdapter adapter(ModelOf(options), options.traits, *bench, clock);
    SetFaults(options, adapter);
    std::signal(SIGTERM, [](int) { stopped = 1; });
    std::signal(SIGINT, [](int) { stopped = 1; });
    std::signal(SIGUSR1, [](int) { unplugAsked = 1; });
    bench->Note("adapter serves on " + port->Name());
    if (options.command.empty()) {
        std::printf("%s\n", port->Name().c_str());
        std::fflush(stdout);
        Serve(*port, adapter, *real, nullptr);
        return 0;
    }
    bench::HostProgram program;
    if (!program.Start(options.command, port->Name())) return 1;
    Serve(*port, adapter, *real, &program);
    program.Stop();
    return program.Status();
}
