// What the adapter's driver library gives the shared exports: the driver's calls over the
// adapter that GPIB_ADAPTER names, opened at the first call; GPIB_ADAPTER_TRACE, when set, is
// the file the trace is appended to.
#include <cstdio>
#include <cstdlib>

#include "adapter/adapter_bus.h"
#include "adapter/fd_link.h"
#include "driver/driver_api.h"
#include "driver/driver_exports.h"

namespace {
constexpr const char* kName = "gpib adapter";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::unique_ptr<driver::Driver> DriverFromEnvironment(std::string& error) {
    const std::string named = Environment("GPIB_ADAPTER");
    if (named.empty()) {
        error =
            "GPIB_ADAPTER names no adapter: set it to the adapter's serial port "
            "(GPIB_ADAPTER=/dev/ttyUSB0) or to tcp:<host>[:<port>]";
        return nullptr;
    }
    const std::optional<adapter::Place> place = adapter::PlaceOf(named, error);
    if (!place) return nullptr;
    auto clock = std::make_shared<driver::RealClock>();
    std::unique_ptr<adapter::Link> link = adapter::OpenLink(*place, clock, error);
    if (!link) return nullptr;
    auto bus = std::make_unique<adapter::AdapterBus>(std::move(link), clock, named);
    adapter::AdapterBus& opened = *bus;
    auto made = std::make_unique<driver::Driver>(kName, clock, std::move(bus));
    // A program may run on it for days: its trace lines go to the file only.
    made->KeepTraceLines(false);
    // Before the adapter is opened, so that its set-up is in the trace too.
    if (const std::string trace = Environment("GPIB_ADAPTER_TRACE"); !trace.empty()) {
        made->SetTraceFile(trace);
    }
    if (const std::optional<std::string> failed = opened.Open()) {
        error = named + ": " + *failed;
        return nullptr;
    }
    return made;
}
}  // namespace

namespace driver::library {

void InstallFromEnvironment() {
    std::string error;
    std::unique_ptr<Driver> made = DriverFromEnvironment(error);
    if (!made) {
        // As a driver without a usable board: every call fails with ERR at once.
        std::fprintf(stderr, "%s: %s\n", kName, error.c_str());
        InstallNoBoard(EDVR);
        return;
    }
    Install(std::move(made));
}

const char* VersionText() {
    return "4.3.6 (gpib adapter)";
}

// The adapter that failed to open was named once, when the library tried it.
void NoDriverCall() {}

}  // namespace driver::library
