// A bench on a virtual clock, wired to the program's bus layer and a scripted platform.
#pragma once

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "bench/scripted.h"
#include "bus/bus_helper.h"
#include "bus/gpib_binding.h"
#include "scripted_platform.h"

// Pauses are single precision: 0.1 s lasts 0.100000001 s.
inline bool SameSeconds(double a, double b) {
    return std::abs(a - b) < 1e-6;
}

// The bench's own entry points, handed to the binding without loading anything.
GpibEntryPoints BenchEntryPoints();

class BenchRig {
public:
    // `config` as GPIB_BENCH takes it, e.g. "3=SILENT;5=PS5010".
    explicit BenchRig(const std::string& config,
                      const GpibEntryPoints& entryPoints = BenchEntryPoints());
    ~BenchRig();

    bench::Bench& Bench() { return *bench_; }
    const bench::Bench& Bench() const { return *bench_; }
    double Now() { return clock_->Now(); }
    // Trace lines written since the last ForgetTrace, with their time stamps.
    std::vector<std::string> Trace() const;
    // The same lines without their time stamps.
    std::vector<std::string> Calls() const;
    // Trace lines of one function, without their time stamps.
    std::vector<std::string> Calls(const std::string& function) const;
    void ForgetTrace() { traceStart_ = bench_->TraceLines().size(); }
    // Puts a scripted instrument at `pad`, in place of whatever answered there, for answers the
    // bench's own instruments never give.
    bench::ScriptedInstrument& AttachScripted(int pad);

private:
    bench::Bench* bench_ = nullptr;  // first: the clock's installation sets it
    std::size_t traceStart_ = 0;
    std::shared_ptr<driver::VirtualClock> clock_;

public:
    ScriptedPlatform platform;
    GpibBinding gpib;
    BusHelper bus;
};
