// A main window on an empty bus, for tests of the window itself: nothing may reach the bus.
#pragma once

#include "bus/bus_helper.h"
#include "bus/gpib_binding.h"
#include "panel/form1.h"
#include "scripted_platform.h"

// The binding has no entry points at all, so any bus call from the window would crash the test.
struct FormOnEmptyBus {
    ScriptedPlatform platform;
    GpibBinding binding{GpibEntryPoints{}};
    BusHelper bus{binding, platform};
    Form1 form{platform, bus};
};
