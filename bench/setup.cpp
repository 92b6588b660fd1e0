// Making a bench from its description, and from the environment for the driver stand-in.
#include "bench/setup.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "bench/instruments.h"
#include "driver/driver_api.h"

namespace bench {

namespace {
std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::unique_ptr<Bench> Configured(const BenchConfig& config, std::shared_ptr<Clock> clock) {
    auto bench = std::make_unique<Bench>(std::move(clock));
    Configure(*bench, config);
    return bench;
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
    for (const BenchConfig::Name& named : config.names) bench.NameDevice(named.name, named.pad);
    bench.SetRegisterResult(config.registerResult);
    if (config.findLstnError) bench.FailFindLstn(*config.findLstnError);
}

Bench* InstallFromText(std::string_view config, std::shared_ptr<Clock> clock) {
    const ParsedConfig parsed = ParseConfig(config);
    if (!parsed.error.empty()) throw std::invalid_argument(parsed.error);
    std::unique_ptr<Bench> bench = Configured(parsed.config, std::move(clock));
    Bench* installed = bench.get();
    Install(std::move(bench));
    return installed;
}

namespace {
ParsedConfig ConfigFromEnvironment() {
    ParsedConfig parsed = ParseConfig(Environment("GPIB_BENCH"));
    if (!parsed.error.empty()) std::fprintf(stderr, "gpib bench: %s\n", parsed.error.c_str());
    return parsed;
}

std::unique_ptr<Bench> BenchFrom(const BenchConfig& config, std::shared_ptr<Clock> clock) {
    std::unique_ptr<Bench> bench = Configured(config, std::move(clock));
    // A program may run on it for days (an overnight log): its trace lines go to the file only.
    bench->KeepTraceLines(false);
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

std::unique_ptr<Bench> BenchFromEnvironment(std::shared_ptr<Clock> clock) {
    return BenchFrom(ConfigFromEnvironment().config, std::move(clock));
}

void InstallFromEnvironment() {
    const BenchConfig config = ConfigFromEnvironment().config;
    if (config.noBoardError) {
        driver::InstallNoBoard(*config.noBoardError);
        return;
    }
    Install(BenchFrom(config, std::make_shared<RealClock>()));
}

}  // namespace bench
