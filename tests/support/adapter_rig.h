// The adapter library's driver over an emulated adapter in front of a bench, in one process on
// virtual clocks: the host's, which the library waits on, and the adapter's, which runs ahead of
// it while the adapter is busy on the bus. What the library sends, what the adapter makes of it,
// and the time it takes.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "adapter/adapter_bus.h"
#include "bench/bench.h"
#include "bench/emulator/emulated_adapter.h"
#include "bench/scripted.h"

class AdapterRig {
public:
    // `config` as GPIB_BENCH takes it, e.g. "3=SILENT;5=PS5010".
    AdapterRig(bench::AdapterModel model, const std::string& config,
               bench::AdapterTraits traits = {});
    // The library's kind of adapter, as the model that plays it: a GPIB-USB for a Prologix.
    AdapterRig(adapter::Kind kind, const std::string& config, std::string version = std::string());
    ~AdapterRig();

    // Opens the adapter as the library does at its first call: nothing when it worked.
    std::optional<std::string> Open();

    driver::Driver& Driver() { return *driver_; }
    bench::Bench& Bench() { return bench_; }
    bench::EmulatedAdapter& Adapter() { return adapter_; }
    adapter::AdapterBus& Bus() { return *bus_; }
    // The host's time.
    double Now() { return host_->Now(); }
    bench::ScriptedInstrument& AttachScripted(int pad);

    // The lines the adapter received since the last call, as the host sent them.
    std::vector<std::string> TakeHostLines();
    // The bench's trace lines since the last call, without time stamps.
    std::vector<std::string> TakeBenchCalls();
    // The USB cable pulled: the link fails from now on.
    void Unplug();
    // The adapter stops answering without the link failing (a hung adapter, a cut network).
    void Hang();
    // The port takes nothing more from the host (a stalled USB serial adapter).
    void Stall();

    // A device descriptor as Pulvar opens one: EOI with the last byte, no end-of-string.
    int Open(int pad, int tmo = 12) { return driver_->ibdev(0, pad, 0, tmo, 1, 0); }
    int Write(int ud, const std::string& text);
    // Reads until END or a failure; the status of the last read in `sta`.
    std::string Read(int ud, int& sta, long chunk = 512);

private:
    class Link;

    // The trace lines after `seen` that `wanted` keeps (and may cut down); `seen` moves on.
    std::vector<std::string> TakeLines(std::size_t& seen,
                                       const std::function<bool(std::string&)>& wanted);

    std::shared_ptr<driver::VirtualClock> host_;
    std::shared_ptr<bench::AdapterClock> adapterClock_;
    bench::Bench bench_;
    bench::EmulatedAdapter adapter_;
    Link* link_ = nullptr;                // owned by the bus
    adapter::AdapterBus* bus_ = nullptr;  // owned by the driver
    std::unique_ptr<driver::Driver> driver_;
    std::size_t hostLinesSeen_ = 0;
    std::size_t benchLinesSeen_ = 0;
};
