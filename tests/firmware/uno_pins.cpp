// The GPIB lines on an Arduino Uno's port pins (the AR488's UNO layout).
#include "uno_pins.h"

#include <avr_ioport.h>
#include <sim_avr.h>
#include <sim_io.h>

namespace firmware {

namespace {
enum PortIndex { kPortB, kPortC, kPortD };

struct Pin {
    PortIndex port;
    int bit;
    Lines line;
};

// DIO1-DIO6 on A0-A5, DIO7 and DIO8 on pins 4 and 5; IFC, NDAC, NRFD, DAV, EOI on pins 8-12;
// SRQ, REN and ATN on pins 2, 3 and 7.
constexpr std::array<Pin, 16> kPins = {{
    {kPortC, 0, 0x01},
    {kPortC, 1, 0x02},
    {kPortC, 2, 0x04},
    {kPortC, 3, 0x08},
    {kPortC, 4, 0x10},
    {kPortC, 5, 0x20},
    {kPortD, 4, 0x40},
    {kPortD, 5, 0x80},
    {kPortB, 0, kIfc},
    {kPortB, 1, kNdac},
    {kPortB, 2, kNrfd},
    {kPortB, 3, kDav},
    {kPortB, 4, kEoi},
    {kPortD, 2, kSrq},
    {kPortD, 3, kRen},
    {kPortD, 7, kAtn},
}};

// The ATmega328P's PINx registers in data space.
constexpr std::uint16_t kPinB = 0x23;
constexpr std::uint16_t kPinC = 0x26;
constexpr std::uint16_t kPinD = 0x29;
}  // namespace

UnoPins::UnoPins(avr_t* avr, std::function<void()> changed)
    : avr_(avr),
      changed_(std::move(changed)),
      ports_{{{'B', kPinB, 0x1f}, {'C', kPinC, 0x3f}, {'D', kPinD, 0xbc}}} {
    for (std::size_t i = 0; i < ports_.size(); ++i) {
        Port& port = ports_[i];
        hooks_[2 * i] = {this, &port, false};
        hooks_[2 * i + 1] = {this, &port, true};
        const std::uint32_t ioctl = AVR_IOCTL_IOPORT_GETIRQ(port.name);
        avr_irq_register_notify(avr_io_getirq(avr_, ioctl, IOPORT_IRQ_REG_PORT), Written,
                                &hooks_[2 * i]);
        avr_irq_register_notify(avr_io_getirq(avr_, ioctl, IOPORT_IRQ_DIRECTION_ALL), Written,
                                &hooks_[2 * i + 1]);
    }
}

void UnoPins::Written(avr_irq_t*, std::uint32_t value, void* hook) {
    const Hook& written = *static_cast<Hook*>(hook);
    (written.direction ? written.port->direction : written.port->port) =
        static_cast<std::uint8_t>(value);
    written.pins->changed_();
}

Lines UnoPins::FirmwareAsserts() const {
    Lines asserted = 0;
    for (const Pin& pin : kPins) {
        const Port& port = ports_[pin.port];
        const bool output = port.direction >> pin.bit & 1;
        const bool low = !(port.port >> pin.bit & 1);
        if (output && low) asserted |= pin.line;
    }
    return asserted;
}

void UnoPins::Outside(Lines asserted) {
    outside_ = asserted;
    std::array<std::uint8_t, 3> high{};
    for (const Pin& pin : kPins) {
        if (!(asserted & pin.line)) high[pin.port] |= static_cast<std::uint8_t>(1 << pin.bit);
    }
    for (std::size_t i = 0; i < ports_.size(); ++i) {
        const Port& port = ports_[i];
        avr_ioport_external_t external{};
        external.name = static_cast<unsigned char>(port.name);
        external.mask = port.gpibBits;
        external.value = high[i];
        avr_ioctl(avr_, AVR_IOCTL_IOPORT_SET_EXTERNAL(port.name), &external);
        // The firmware polls its inputs without writing the port in between: the level goes into
        // the pin register at once. (A pin IRQ would be filtered when its last value was the same,
        // which after a reset, that zeroes the register, it may well be.)
        std::uint8_t& pins = avr_->data[port.pinRegister];
        pins = static_cast<std::uint8_t>((pins & ~port.gpibBits) | high[i]);
    }
}

void UnoPins::Reset() {
    for (Port& port : ports_) port.port = port.direction = 0;
    Outside(outside_);
}

}  // namespace firmware
