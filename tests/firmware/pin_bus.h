// The bus behind the firmware's pins: a device at every address where the bench has an
// instrument, each reacting to the lines as IEEE 488.1 has it, and a trace of the bus-wide events
// (IFC, REN, the command bytes sent under each ATN) beside the bench's trace of the messages.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "bus_device.h"
#include "gpib_lines.h"

namespace firmware {

class PinBus {
public:
    // Devices for the bench's instruments, with the habits given by address.
    PinBus(bench::Bench& bench, const std::map<int, DeviceHabits>& habits);

    // The devices react to what the firmware asserts, until nothing changes; what they assert
    // then.
    Lines React(Lines firmware, double now);
    // When a device next acts by itself.
    std::optional<double> WakeAt() const;

private:
    void Observe(Lines bus);

    bench::Bench& bench_;
    std::vector<BusDevice> devices_;
    Lines devicesAssert_ = 0;  // by all devices, after their last reaction
    Lines last_ = 0;
    std::string commands_;  // the command bytes seen under the current ATN, by name
};

// "UNL", "LAD5", "TAD5", "SAD96", "SPE", ...: a command byte as the trace names it.
std::string CommandName(std::uint8_t byte);

}  // namespace firmware
