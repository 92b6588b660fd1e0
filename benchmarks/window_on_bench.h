// The main window on a simulated bench that runs on the real clock.
#pragma once

#include <string>

#include "bus/bus_helper.h"
#include "bus/gpib_binding.h"
#include "panel/form1.h"

class Platform;
namespace bench {
class Bench;
}

class WindowOnBench {
public:
    // Installs a fresh bench as GPIB_BENCH describes it (e.g. "5=PS5010"); the window is made
    // but not loaded.
    WindowOnBench(Platform& platform, const std::string& config);
    ~WindowOnBench();

    // What the program does before its window first shows: the bus and the identification.
    void Load() { form.Form_Load(); }
    // Shows the window and returns once its first activation is done.
    void Show();
    // Sets the supply up for a run, outside what is measured: no pause, nothing read.
    void SendToSupply(const std::string& command);

private:
    bench::Bench* bench_ = nullptr;  // first: made before the binding

public:
    GpibBinding gpib;
    BusHelper bus;
    Form1 form;
};
