// The main window on a simulated bench that runs on the real clock.
#include "window_on_bench.h"

#include <QApplication>
#include <memory>

#include "bench/bench.h"
#include "bench/setup.h"
#include "bench_rig.h"
#include "driver/clock.h"
#include "driver/driver_api.h"

namespace {
// Installed before the binding is made, so that its first call finds the bench.
GpibEntryPoints InstallRealClockBench(const std::string& config, bench::Bench*& installed) {
    installed = bench::InstallFromText(config, std::make_shared<driver::RealClock>());
    return BenchEntryPoints();
}
}  // namespace

WindowOnBench::WindowOnBench(Platform& platform, const std::string& config)
    : gpib(InstallRealClockBench(config, bench_)), bus(gpib, platform), form(platform, bus) {}

WindowOnBench::~WindowOnBench() {
    // A window made after this one has installed its own bench by now: leave that one be.
    if (driver::Current() == bench_) driver::Install(nullptr);
}

void WindowOnBench::Show() {
    // Showing starts the first activation, which reads the supply back: wait for its end.
    form.show();
    while (!form.Activated) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void WindowOnBench::SendToSupply(const std::string& command) {
    bus.SendCommand(form.Supply().SupplyDevice, command);
}
