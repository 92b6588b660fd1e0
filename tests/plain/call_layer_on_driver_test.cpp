// The call layer and the bus helper over the driver library loaded by its own name, as the
// program loads it: the bench's libgpib.so.0 on Linux and its ni4882.dll on 64-bit Windows (the
// thread accessors' status road), its Gpib-32.dll on 32-bit Windows (LoadLibrary, __stdcall
// entry points, NI-488.2's registration road); and the variable that names another file.
#include <cstdlib>
#include <string>

#include "bus/bus_helper.h"
#include "bus/gpib_binding.h"
#include "bus/gpib_library.h"
#include "check.h"
#include "scripted_platform.h"

namespace {
// An empty value unsets the variable.
void SetVariable(const char* name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    if (value.empty())
        unsetenv(name);
    else
        setenv(name, value.c_str(), 1);
#endif
}

// The library as the program loads it, with the bench that GPIB_BENCH describes.
const GpibLibrary& Library() {
    static const GpibLibrary library = [] {
        SetVariable("GPIB_BENCH", "5=PS5010;7=HP6032A");
        return GpibLibrary(GpibLibraryName());
    }();
    return library;
}

void LoadsUnderTheDriversName() {
    CHECK(Library().Loaded());
    const GpibEntryPoints& e = Library().EntryPoints();
    CHECK(e.SendIFC && e.FindLstn && e.ibdev && e.ibwrt && e.ibrd && e.ibask);
#if defined(_WIN32) && !defined(_WIN64)
    CHECK(e.RegisterGpibGlobalsForThread != nullptr);
#else
    CHECK(e.RegisterGpibGlobalsForThread == nullptr);
    CHECK(e.ThreadIbsta && e.ThreadIberr && e.ThreadIbcnt && e.ThreadIbcntl);
#endif
}

// PULVAR_GPIB_LIBRARY names the file to load, with a folder or without; unset or empty, the
// driver's own name is loaded.
void VariableNamesTheLibraryFile() {
    const std::string missing = "no-such-folder/no-such-driver.lib";
    const struct {
        std::string value;
        std::string file;
    } rows[] = {{"", GpibLibraryName()}, {missing, missing}, {"other-name.lib", "other-name.lib"}};
    for (const auto& row : rows) {
        SetVariable(kGpibLibraryVariable, row.value);
        CHECK(GpibLibraryFile() == row.file);
    }
    SetVariable(kGpibLibraryVariable, missing);
    const GpibLibrary library(GpibLibraryFile());
    CHECK(!library.Loaded());
    CHECK(library.Error().rfind("The GPIB driver library " + missing + " could not be loaded:\n",
                                0) == 0);
    SetVariable(kGpibLibraryVariable, "");
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
         {"a variable names the library file", VariableNamesTheLibraryFile},
         {"exchange keeps the buffer and the status", ExchangeKeepsTheBufferAndTheStatus},
         {"failure shows as a negative status", FailureShowsAsNegativeStatus},
         {"bus helper finds the supply", BusHelperFindsTheSupply}});
}
