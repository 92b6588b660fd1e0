// The GPIB lines on an Arduino Uno's port pins, as the AR488's UNO layout wires them: what the
// firmware drives, read from its port and direction registers, and what the other parties
// drive, told to the ports so that the firmware's reads see it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "gpib_lines.h"

struct avr_t;
struct avr_irq_t;

namespace firmware {

class UnoPins {
public:
    // `changed` runs at every write of a port or direction register (inside the simulator's IRQ
    // callback: it may only schedule a reaction).
    UnoPins(avr_t* avr, std::function<void()> changed);

    // The lines the firmware asserts: outputs it drives low. An output driven high releases its
    // line, as an open-collector driver would.
    Lines FirmwareAsserts() const;

    // What everyone else asserts: the firmware's inputs read these lines low from now on, also
    // after its next write of the port (simavr raises every pin of a port again at each write).
    void Outside(Lines asserted);

    // The registers after a reset of the microcontroller: zero, every pin an input.
    void Reset();

private:
    struct Port {
        char name;
        std::uint16_t pinRegister;  // data-space address of PINx
        std::uint8_t gpibBits;      // never PD0/PD1, the serial port
        std::uint8_t port = 0;
        std::uint8_t direction = 0;
    };
    struct Hook {
        UnoPins* pins;
        Port* port;
        bool direction;
    };
    static void Written(avr_irq_t* irq, std::uint32_t value, void* hook);

    avr_t* avr_;
    std::function<void()> changed_;
    std::array<Port, 3> ports_;
    std::array<Hook, 6> hooks_;
    Lines outside_ = 0;
};

}  // namespace firmware
