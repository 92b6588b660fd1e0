// The bus behind the firmware's pins.
#include "pin_bus.h"

#include <cstdio>

#include "driver/status.h"

namespace firmware {

namespace {
// Devices react to each other's lines too (a listener's NDAC to a talker's DAV); more rounds
// than this without rest would be a fault of the model.
constexpr int kMostRounds = 16;

std::string Hex(std::uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", byte);
    return text;
}
}  // namespace

std::string CommandName(std::uint8_t byte) {
    const std::uint8_t command = byte & 0x7f;
    switch (command) {
        case 0x01:
            return "GTL";
        case 0x04:
            return "SDC";
        case 0x05:
            return "PPC";
        case 0x08:
            return "GET";
        case 0x09:
            return "TCT";
        case 0x11:
            return "LLO";
        case 0x14:
            return "DCL";
        case 0x15:
            return "PPU";
        case 0x18:
            return "SPE";
        case 0x19:
            return "SPD";
        case 0x3f:
            return "UNL";
        case 0x5f:
            return "UNT";
        default:
            break;
    }
    if (command >= 0x20 && command < 0x3f) return "LAD" + driver::N(command - 0x20);
    if (command >= 0x40 && command < 0x5f) return "TAD" + driver::N(command - 0x40);
    if (command >= 0x60 && command < 0x7f) return "SAD" + driver::N(command);
    return Hex(byte);
}

PinBus::PinBus(bench::Bench& bench, const std::map<int, DeviceHabits>& habits) : bench_(bench) {
    for (int pad = 1; pad <= driver::kHighestPad; ++pad) {
        if (!bench.At(pad)) continue;
        const auto own = habits.find(pad);
        devices_.emplace_back(pad, BenchLink(bench, pad),
                              own == habits.end() ? DeviceHabits{} : own->second);
    }
}

Lines PinBus::React(Lines firmware, double now) {
    // Talkers wait for the other lines to settle (488.1's settling time): a device that has not
    // yet let go of NDAC after ATN must not pass for a listener.
    bool settled = false;
    for (int round = 0; round < kMostRounds; ++round) {
        bool changed = false;
        for (BusDevice& device : devices_) {
            // What everyone else asserts: a device's own lines never answer its own handshake.
            Lines others = firmware;
            for (const BusDevice& other : devices_) {
                if (&other != &device) others |= other.Asserts();
            }
            changed |= device.React(others, now, settled);
        }
        if (!changed && settled) break;
        settled = !changed;
    }
    devicesAssert_ = 0;
    for (const BusDevice& device : devices_) devicesAssert_ |= device.Asserts();
    Observe(firmware | devicesAssert_);
    return devicesAssert_;
}

std::optional<double> PinBus::WakeAt() const {
    std::optional<double> first;
    for (const BusDevice& device : devices_) {
        const std::optional<double> wake = device.WakeAt();
        if (wake && (!first || *wake < *first)) first = wake;
    }
    return first;
}

void PinBus::Observe(Lines bus) {
    const Lines rose = bus & ~last_;
    const Lines fell = last_ & ~bus;
    last_ = bus;
    if (rose & kIfc) bench_.Note("bus IFC");
    if (rose & kRen) bench_.Note("bus REN asserted");
    if (fell & kRen) bench_.Note("bus REN released");
    if ((rose & kDav) && (bus & kAtn)) commands_ += " " + CommandName(DataByte(bus));
    if ((fell & kAtn) && !commands_.empty()) {
        bench_.Note("bus" + commands_);
        commands_.clear();
    }
}

}  // namespace firmware
