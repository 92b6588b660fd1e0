// The main window on a simulated bench that runs on the real clock.
#include "window_on_bench.h"

#include <QApplication>
#include <memory>
#include <stdexcept>

#include "adapter/adapter_bus.h"
#include "adapter/fd_link.h"
#include "adapter_process.h"
#include "bench/bench.h"
#include "bench/setup.h"
#include "bench_rig.h"
#include "driver/clock.h"
#include "driver/driver_api.h"

namespace {
// The adapter library's driver over the emulated adapter, as it opens at its first call.
std::unique_ptr<driver::Driver> AdapterDriver(const std::string& where) {
    std::string error;
    const std::optional<adapter::Place> place = adapter::PlaceOf(where, error);
    auto clock = std::make_shared<driver::RealClock>();
    std::unique_ptr<adapter::Link> link = place ? adapter::OpenLink(*place, clock, error) : nullptr;
    if (!link) throw std::runtime_error(error);
    auto bus = std::make_unique<adapter::AdapterBus>(std::move(link), clock, where);
    adapter::AdapterBus& opened = *bus;
    auto made = std::make_unique<driver::Driver>("gpib adapter", clock, std::move(bus));
    if (const std::optional<std::string> failed = opened.Open()) throw std::runtime_error(*failed);
    return made;
}

// The adapter's process that a carrier puts in front of the bench.
struct AdapterProgram {
    std::string program;
    std::vector<std::string> arguments;
};

AdapterProgram ProgramOf(Carrier carrier) {
    switch (carrier) {
        case Carrier::PrologixSerialLatency:
            return {ADAPTER_EMULATOR, {"prologix", "--latency-ms", "16"}};
        case Carrier::PrologixTcp:
            return {ADAPTER_EMULATOR, {"prologix", "--tcp"}};
        case Carrier::Ar488Firmware:
#ifdef AR488_FIRMWARE_RUNNER
            return {AR488_FIRMWARE_RUNNER, {AR488_FIRMWARE_ELF}};
#else
            throw std::runtime_error("the AR488's firmware runner was not built");
#endif
        default:
            return {ADAPTER_EMULATOR, {"prologix"}};
    }
}

// Installed before the binding is made, so that its first call finds the driver.
GpibEntryPoints Install(const std::string& config, Carrier carrier, const std::string& errors,
                        std::unique_ptr<AdapterProcess>& emulator, driver::Driver*& installed) {
    if (carrier == Carrier::BenchLibrary) {
        installed = bench::InstallFromText(config, std::make_shared<driver::RealClock>());
        return BenchEntryPoints();
    }
    const AdapterProgram adapter = ProgramOf(carrier);
    emulator = std::make_unique<AdapterProcess>(adapter.program, adapter.arguments, config, errors);
    std::unique_ptr<driver::Driver> made = AdapterDriver(emulator->Where());
    installed = made.get();
    driver::Install(std::move(made));
    return BenchEntryPoints();
}
}  // namespace

bool FirmwareRunnerBuilt() {
#ifdef AR488_FIRMWARE_RUNNER
    return true;
#else
    return false;
#endif
}

WindowOnBench::WindowOnBench(Platform& platform, const std::string& config, Carrier carrier,
                             const std::string& errors)
    : gpib(Install(config, carrier, errors, emulator_, driver_)),
      bus(gpib, platform),
      form(platform, bus) {}

WindowOnBench::~WindowOnBench() {
    // A window made after this one has installed its own driver by now: leave that one be.
    if (driver::Current() == driver_) driver::Install(nullptr);
}

void WindowOnBench::Show() {
    // Showing starts the first activation, which reads the supply back: wait for its end.
    form.show();
    while (!form.Activated) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void WindowOnBench::SendToSupply(const std::string& command) {
    bus.SendCommand(form.Supply().SupplyDevice, command);
}
