// The main window on a simulated bench that runs on the real clock, reached through the bench
// library itself or through the adapter library and an emulated adapter in front of the bench.
#pragma once

#include <memory>
#include <string>

#include "bus/bus_helper.h"
#include "bus/gpib_binding.h"
#include "panel/form1.h"

class AdapterProcess;
class Platform;
namespace driver {
class Driver;
}

// What carries the window's calls to the bench: the bench library itself, or the adapter library
// over an emulated Prologix GPIB-USB (its USB serial chip's latency timer off, or at its 16 ms),
// an emulated GPIB-ETHERNET, or the AR488's own firmware on its runner.
enum class Carrier {
    BenchLibrary,
    PrologixSerial,
    PrologixSerialLatency,
    PrologixTcp,
    Ar488Firmware
};

// Whether the AR488's firmware runner was built beside the benchmark.
bool FirmwareRunnerBuilt();

class WindowOnBench {
public:
    // Installs a fresh bench as GPIB_BENCH describes it (e.g. "5=PS5010"), behind the carrier;
    // the window is made but not loaded. The adapter's process appends its standard error to
    // `errors`, when given.
    WindowOnBench(Platform& platform, const std::string& config,
                  Carrier carrier = Carrier::BenchLibrary, const std::string& errors = {});
    ~WindowOnBench();

    // What the program does before its window first shows: the bus and the identification.
    void Load() { form.Form_Load(); }
    // Shows the window and returns once its first activation is done.
    void Show();
    // Sets the supply up for a run, outside what is measured: no pause, nothing read.
    void SendToSupply(const std::string& command);
    // The installed driver, whose trace lines tell what went over an adapter's link.
    driver::Driver& Driver() { return *driver_; }

private:
    // First: the carrier is there before the binding's first call.
    std::unique_ptr<AdapterProcess> emulator_;
    driver::Driver* driver_ = nullptr;

public:
    GpibBinding gpib;
    BusHelper bus;
    Form1 form;
};
