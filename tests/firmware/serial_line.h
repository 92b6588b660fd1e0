// The firmware's serial port on a pseudo-terminal of its own (its name is whatever the system
// gives, so that runs can go side by side), at the pace of its 115200 baud line and without flow
// control, as a USB serial chip passes bytes to an Uno. Both sides' lines go to the trace.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

struct avr_t;
struct avr_irq_t;

namespace firmware {

class SerialLine {
public:
    SerialLine(avr_t* avr, std::function<void(std::string_view)> note);
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // The pseudo-terminal's name, for GPIB_ADAPTER; empty when none could be made.
    const std::string& Name() const { return name_; }
    int Fd() const { return master_; }
    bool HostPresent() const { return hostPresent_; }

    // Passes on what the host wrote (or drops it while `listening` is false, as a board's boot
    // loader takes it) and what the firmware sent. True when the host has just opened the port.
    bool Service(bool listening);
    // After a reset of the microcontroller: nothing is on its way into it any more.
    void Reset();

    // The host's next "++read" makes the port vanish, as a pulled USB cable does.
    void UnplugAtNextRead() { unplugArmed_ = true; }
    bool Unplugged() const { return master_ < 0 && !name_.empty(); }

private:
    static void Sent(avr_irq_t* irq, std::uint32_t byte, void* line);
    static void Full(avr_irq_t* irq, std::uint32_t full, void* line);
    static void Room(avr_irq_t* irq, std::uint32_t room, void* line);
    static std::uint64_t Feed(avr_t* avr, std::uint64_t when, void* line);
    void FromHost(std::string_view bytes);
    void ToHost();
    void NoteSaid();
    void Unplug();

    avr_t* avr_;
    avr_irq_t* input_ = nullptr;
    std::function<void(std::string_view)> note_;
    std::string name_;
    int master_ = -1;
    bool hostPresent_ = false;
    bool unplugArmed_ = false;
    bool full_ = false;     // the UART's own input FIFO is full
    bool feeding_ = false;  // a byte of `toFirmware_` is on its way
    std::deque<std::uint8_t> toFirmware_;
    std::string toHost_;
    std::string hostLine_;  // the host's line under way, for the trace
    bool hostEscaped_ = false;
    std::string saidLine_;  // what the firmware has sent since its last line end, for the trace
    std::uint64_t lastSentCycle_ = 0;
};

}  // namespace firmware
