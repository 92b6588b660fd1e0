// Making a bench from its description, and from the environment for the driver stand-in.
#pragma once

#include <memory>
#include <string_view>

#include "bench/bench.h"
#include "bench/config.h"

namespace bench {

// Attaches the described instruments and sets the described faults.
void Configure(Bench& bench, const BenchConfig& config);

// Installs for the driver's entry points a bench on `clock` as `config` (GPIB_BENCH's text, e.g.
// "5=PS5010") describes, and returns it; throws std::invalid_argument with the reason when
// `config` is not understood.
Bench* InstallFromText(std::string_view config, std::shared_ptr<Clock> clock);

// The bench that GPIB_BENCH describes, on `clock` (the real one unless given), tracing to
// GPIB_BENCH_TRACE and keeping settings in GPIB_BENCH_STATE when those are set. A GPIB_BENCH
// that is not understood is reported on standard error and gives an empty bus.
std::unique_ptr<Bench> BenchFromEnvironment(
    std::shared_ptr<Clock> clock = std::make_shared<RealClock>());

// Installs that bench for the driver's entry points; when GPIB_BENCH asks for a driver without
// a usable board (noconfig), installs none.
void InstallFromEnvironment();

}  // namespace bench
