// The call layer and the bus helper over the driver library loaded by its own name, as the
// program loads it: the bench's libgpib.so.0 on Linux (linux-gpib's status road) and its
// Gpib-32.dll on Windows (LoadLibrary, __stdcall entry points, NI-488.2's registration road).
#include <cstdlib>
#include <string>

#include "bus/bus_helper.h"
#include "bus/gpib_binding.h"
#include "bus/gpib_library.h"
#include "check.h"
#include "scripted_platform.h"

namespace {
// The library as the program loads it, with the bench that GPIB_BENCH describes.
const GpibLibrary& Library() {
    static const GpibLibrary library = [] {
#ifdef _WIN32
        _putenv_s("GPIB_BENCH", "5=PS5010;7=HP6032A");
#else
        setenv("GPIB_BENCH", "5=PS5010;7=HP6032A", 1);
#endif
        return GpibLibrary(GpibLibraryName());
    }();
    return library;
}

void LoadsUnderTheDriversName() {
    CHECK(Library().Loaded());
    const GpibEntryPoints& e = Library().EntryPoints();
    CHECK(e.SendIFC && e.FindLstn && e.ibdev && e.ibwrt && e.ibrd && e.ibask);
#ifdef _WIN32
    CHECK(e.RegisterGpibGlobalsForThread != nullptr);
#else
    CHECK(e.RegisterGpibGlobalsForThread == nullptr);
#endif
}

void ExchangeKeepsTheBufferAndTheStatus() {
    GpibBinding gpib(Library().EntryPoints());
    int16_t ud = 0;
    gpib.ibdev(0, 7, 0, gpib::T3s, 1, 0, ud);
    CHECK(ud >= 16);
    gpib.ibwrt(ud, "VSET 12.5;VSET?");
    CHECK(gpib.ibsta() == gpib::CMPL);
    CHECK(gpib.ibcntl() == 15);
    std::string buffer(256, ' ');
    gpib.ibrd(ud, buffer);
    const std::string answer = buffer.substr(0, static_cast<std::size_t>(gpib.ibcnt()));
    CHECK(answer.rfind("VSET", 0) == 0);
    CHECK(answer.find("12.500") != std::string::npos);
    CHECK(buffer.substr(answer.size()) == std::string(256 - answer.size(), ' '));
    CHECK(gpib.ibsta() == (gpib::END | gpib::CMPL));
}

void FailureShowsAsNegativeStatus() {
    GpibBinding gpib(Library().EntryPoints());
    int16_t ud = 0;
    gpib.ibdev(0, 9, 0, gpib::T3s, 1, 0, ud);
    gpib.ibwrt(ud, "ID?");
    CHECK(gpib.ibsta() < 0);
    CHECK((gpib.ibsta() & gpib::ERR) != 0);
    CHECK(gpib.iberr() == gpib::ENOL);
}

void BusHelperFindsTheSupply() {
    GpibBinding gpib(Library().EntryPoints());
    ScriptedPlatform platform;
    BusHelper bus(gpib, platform);
    bus.InitBus(1);
    CHECK(bus.Tables().Listeners[0] == 2);
    CHECK(bus.Tables().Listeners[1] == 5);
    CHECK(bus.Tables().Listeners[2] == 7);
    bus.DeviceTimeout = gpib::T3s;
    std::string query = "ID?";
    std::string expected = "PS5010";
    const int16_t device = bus.FindDevice(query, expected);
    CHECK(device > 0);
    bus.SendCommand(device, "VPOS 3");
    CHECK(bus.QueryDevice(device, "VPOS?") == "VPOS 3.00;");
    CHECK(platform.Boxes().empty());
}
}  // namespace

int main() {
    return plain::Run(
        {{"loads under the driver's name", LoadsUnderTheDriversName},
         {"exchange keeps the buffer and the status", ExchangeKeepsTheBufferAndTheStatus},
         {"failure shows as a negative status", FailureShowsAsNegativeStatus},
         {"bus helper finds the supply", BusHelperFindsTheSupply}});
}
