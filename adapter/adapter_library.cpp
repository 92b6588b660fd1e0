// What the adapter's driver library gives the shared exports: the driver's calls over the
// adapter that GPIB_ADAPTER names, or over the one found when it names none (or "auto"), opened
// at the first call; GPIB_ADAPTER_TRACE, when set, is the file the trace is appended to.
#include <cstdio>
#include <cstdlib>

#include "adapter/adapter_bus.h"
#include "adapter/adapter_finder.h"
#include "adapter/adapter_ports.h"
#include "adapter/place.h"
#include "adapter/remembered_adapter.h"
#include "driver/driver_api.h"
#include "driver/driver_exports.h"

namespace {
constexpr const char* kName = "gpib adapter";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The driver over the adapter at `named` (what GPIB_ADAPTER says), opened and set up.
std::unique_ptr<driver::Driver> DriverAt(const std::string& named, std::string& error) {
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

// The adapter that worked is tried first next time, if it can be told from others.
void Remember(const std::string& place, const std::optional<adapter::UsbIdentity>& usb) {
    const std::string file = adapter::RememberedAdapterFile();
    const std::optional<adapter::RememberedAdapter> kept = adapter::RememberedOf(place, usb);
    if (!file.empty() && kept) adapter::WriteRemembered(file, *kept);
}

std::unique_ptr<driver::Driver> DriverNamed(const std::string& named, std::string& error) {
    std::unique_ptr<driver::Driver> made = DriverAt(named, error);
    if (!made) return nullptr;
    std::optional<adapter::UsbIdentity> usb;
    if (named.rfind("tcp:", 0) != 0) {
        const std::optional<adapter::SerialPort> port =
            adapter::PortNamed(adapter::ListAdapterPorts(), named);
        if (port) usb = port->usb;
    }
    Remember(named, usb);
    return made;
}

// Only a port whose USB identity names an adapter, or the adapter that worked last, is tried.
std::unique_ptr<driver::Driver> DriverFound(std::string& error) {
    std::unique_ptr<driver::Driver> made;
    const adapter::Finding finding = adapter::FindAdapter(
        adapter::ListAdapterPorts(), adapter::ReadRemembered(adapter::RememberedAdapterFile()),
        [&](const adapter::Candidate& candidate) -> std::optional<std::string> {
            std::string failed;
            made = DriverAt(candidate.place, failed);
            if (!made) return failed;
            return std::nullopt;
        });
    if (!finding.found) {
        error = finding.message;
        return nullptr;
    }
    std::fprintf(stderr, "%s: %s\n", kName, finding.message.c_str());
    made->Note(finding.message);
    Remember(finding.found->place, finding.found->usb);
    return made;
}

std::unique_ptr<driver::Driver> DriverFromEnvironment(std::string& error) {
    const std::string named = Environment("GPIB_ADAPTER");
    return named.empty() || named == "auto" ? DriverFound(error) : DriverNamed(named, error);
}

// Where a launcher started from the desktop, with no standard error to read, finds the reason.
void LeaveReason(const std::string& error) {
    const std::string file = Environment("GPIB_ADAPTER_REASON_FILE");
    if (file.empty()) return;
    if (std::FILE* out = std::fopen(file.c_str(), "w")) {
        std::fprintf(out, "%s: %s\n", kName, error.c_str());
        std::fclose(out);
    }
}
}  // namespace

namespace driver::library {

void InstallFromEnvironment() {
    std::string error;
    std::unique_ptr<Driver> made = DriverFromEnvironment(error);
    if (!made) {
        // As a driver without a usable board: every call fails with ERR at once.
        std::fprintf(stderr, "%s: %s\n", kName, error.c_str());
        LeaveReason(error);
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
