// The AR488 on a simulated Arduino Uno (ATmega328P, 16 MHz): its own firmware, its GPIB pins on
// the bus of the bench's instruments, its serial port on a pseudo-terminal, simulated time held
// to the wall clock. Opening the port resets the board, as an Uno's DTR line does.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "bench/bench.h"
#include "bench/config.h"
#include "pacer.h"
#include "pin_bus.h"
#include "runner_options.h"
#include "serial_line.h"
#include "uno_pins.h"

struct avr_t;

namespace firmware {

class FirmwareRunner {
public:
    // The board with the firmware loaded and the bench that GPIB_BENCH describes on its pins;
    // nothing, with the reason in `error`, when either cannot be made.
    static std::unique_ptr<FirmwareRunner> Make(const RunnerOptions& options, std::string& error);
    ~FirmwareRunner();

    // The pseudo-terminal that the host opens.
    const std::string& Port() const { return serial_->Name(); }
    // Runs until `stop` says so, the port is unplugged or the firmware crashes; false on a crash.
    bool Run(const std::function<bool()>& stop);
    void UnplugAtNextRead() { serial_->UnplugAtNextRead(); }
    std::string Summary() const { return pacer_->Summary(Cycle()); }

private:
    FirmwareRunner(avr_t* avr, std::unique_ptr<bench::Bench> bench);
    void Attach(const RunnerOptions& options, const bench::BenchConfig& config);
    std::uint64_t Cycle() const;
    // Runs the microcontroller up to `cycle`; false when it crashed.
    bool RunUntil(std::uint64_t cycle);
    void Sleep(double seconds);
    // The devices react to the lines as the firmware left them.
    void Settle();
    void Reset();
    // Timers: the reaction to a change of the firmware's lines, and a device's own wake-up.
    static std::uint64_t Reaction(avr_t* avr, std::uint64_t when, void* runner);
    static std::uint64_t Woken(avr_t* avr, std::uint64_t when, void* runner);

    avr_t* avr_;
    std::unique_ptr<bench::Bench> bench_;
    std::unique_ptr<PinBus> bus_;
    std::unique_ptr<UnoPins> pins_;
    std::unique_ptr<SerialLine> serial_;
    std::unique_ptr<Pacer> pacer_;
    double bootEnds_ = 0;  // wall-clock time until which the boot loader takes the host's bytes
};

}  // namespace firmware
