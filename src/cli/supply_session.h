// The driver library, the bus and the supply on it, made ready as the window does at its start.
#pragma once

#include <memory>

#include "bus/bus_helper.h"
#include "bus/gpib_binding.h"
#include "bus/gpib_library.h"
#include "platform/console_platform.h"
#include "rules/supplies.h"

// What every command works with: the platform, the bus, and the supply found on it.
struct SupplyLink {
    Platform& platform;
    BusHelper& bus;
    ConnectedSupply supply;
};

class SupplySession {
public:
    // Loads the driver library, sets up the bus and identifies the supply among `models`; ends
    // the program with the matching exit status when any of that fails. Afterwards a failure is a
    // bus error.
    explicit SupplySession(ConsolePlatform& platform, SupplyModels models = kSupplyModels);

    SupplyLink& Link() { return *link_; }

private:
    std::unique_ptr<GpibLibrary> library_;
    std::unique_ptr<GpibBinding> gpib_;
    std::unique_ptr<BusHelper> bus_;
    std::unique_ptr<SupplyLink> link_;
};
