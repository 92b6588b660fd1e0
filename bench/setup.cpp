// Making a bench from its description, and from the environment for the driver stand-in.
#include "bench/setup.h"

#include <cstdio>
#include <cstdlib>

#include "bench/driver_api.h"
#include "bench/instruments.h"

namespace bench {

namespace {
std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}
}  // namespace

void Configure(Bench& bench, const BenchConfig& config) {
    for (const BenchConfig::Placed& placed : config.instruments) {
        bench.Attach(placed.pad, MakeInstrument(placed.kind));
    }
    for (const BenchConfig::Unplug& unplug : config.unplugs) {
        bench.UnplugAfter(unplug.pad, unplug.messages);
    }
    for (const BenchConfig::Name& named : config.names) bench.NameDevice(named.name, named.pad);
    bench.SetRegisterResult(config.registerResult);
    if (config.findLstnError) bench.FailFindLstn(*config.findLstnError);
}

namespace {
ParsedConfig ConfigFromEnvironment() {
    ParsedConfig parsed = ParseConfig(Environment("GPIB_BENCH"));
    if (!parsed.error.empty()) std::fprintf(stderr, "gpib bench: %s\n", parsed.error.c_str());
    return parsed;
}

std::unique_ptr<Bench> BenchFrom(const BenchConfig& config) {
    auto bench = std::make_unique<Bench>(std::make_shared<RealClock>());
    Configure(*bench, config);
    if (const std::string trace = Environment("GPIB_BENCH_TRACE"); !trace.empty()) {
        bench->SetTraceFile(trace);
    }
    // After the instruments are attached, so that they get their saved settings back.
    if (const std::string state = Environment("GPIB_BENCH_STATE"); !state.empty()) {
        bench->SetStateFile(state);
    }
    return bench;
}
}  // namespace

std::unique_ptr<Bench> BenchFromEnvironment() {
    return BenchFrom(ConfigFromEnvironment().config);
}

void InstallFromEnvironment() {
    const BenchConfig config = ConfigFromEnvironment().config;
    if (config.noBoardError) {
        std::fprintf(stderr,
                     "gpib bench: failed to open configuration file (GPIB_BENCH has noconfig=%d)\n",
                     *config.noBoardError);
        InstallNoBoard(*config.noBoardError);
        return;
    }
    Install(BenchFrom(config));
}

}  // namespace bench
