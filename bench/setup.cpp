// Making a bench from its description, and from the environment for the driver stand-in.
#include "bench/setup.h"

#include <cstdio>
#include <cstdlib>

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
    for (const BenchConfig::Refusal& refusal : config.refusals) {
        bench.RefuseWrite(refusal.pad, refusal.write, refusal.iberr);
    }
    for (const BenchConfig::Spoil& spoil : config.spoils) {
        bench.SpoilAnswer(spoil.pad, spoil.write, spoil.fault);
    }
    bench.SetRegisterResult(config.registerResult);
    if (config.findLstnError) bench.FailFindLstn(*config.findLstnError);
}

std::unique_ptr<Bench> BenchFromEnvironment() {
    auto bench = std::make_unique<Bench>(std::make_shared<RealClock>());
    const ParsedConfig parsed = ParseConfig(Environment("GPIB_BENCH"));
    if (!parsed.error.empty()) std::fprintf(stderr, "gpib bench: %s\n", parsed.error.c_str());
    Configure(*bench, parsed.config);
    if (const std::string trace = Environment("GPIB_BENCH_TRACE"); !trace.empty()) {
        bench->SetTraceFile(trace);
    }
    // After the instruments are attached, so that they get their saved settings back.
    if (const std::string state = Environment("GPIB_BENCH_STATE"); !state.empty()) {
        bench->SetStateFile(state);
    }
    return bench;
}

}  // namespace bench
