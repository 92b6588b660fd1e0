// One device on the GPIB, by IEEE 488.1's interface functions: the acceptor handshake for
// commands (every device, while ATN is asserted) and for data (once addressed to listen), the
// source handshake for its answer or its status byte (once addressed to talk), listener and
// talker addressing, extended with secondary addresses when it has any, serial poll mode, device
// clear and interface clear. What it hears and says goes to and from the bench's instrument.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "bench_link.h"
#include "gpib_lines.h"

namespace firmware {

// How a device behaves beyond the standard: the bench's faults and timings.
struct DeviceHabits {
    std::set<int> secondaries;             // 0x60..0x7E: an extended listener and talker
    double busyAfterMessage = 0;           // seconds it holds NRFD against data after a message
    double byteGap = 0;                    // seconds between the bytes it sends
    std::optional<int> messagesUntilGone;  // unplugged after this many messages
};

class BusDevice {
public:
    BusDevice(int pad, BenchLink link, DeviceHabits habits)
        : pad_(pad), link_(std::move(link)), habits_(std::move(habits)) {}

    // Reacts to the lines as everyone else (the firmware, the other devices) asserts them now;
    // as a talker only once they have `settled`. True when what it asserts changed.
    bool React(Lines others, double now, bool settled);
    Lines Asserts() const { return asserts_; }
    // When it next acts by itself (its answer ready, a busy spell over, its next byte due).
    std::optional<double> WakeAt() const { return wakeAt_; }

private:
    enum class Acceptor { Idle, NotReady, Ready, Accepted };
    enum class Source { Idle, Placing, Transferring };

    bool Present() const;
    void Accept(Lines others, double now);
    void Take(std::uint8_t byte, bool eoi, bool command, double now);
    void Command(std::uint8_t byte, double now);
    void Addressed(std::uint8_t command, double now);
    void SecondaryAddressed(std::uint8_t command);
    // The message heard so far goes to the instrument; `end` when EOI came with its last byte.
    void Hear(bool end, double now);
    void Send(Lines others, double now, bool settled);
    // Something to say: the status byte in serial poll mode, otherwise the instrument's answer.
    bool HasByte(double now);
    // What it was hearing or saying is dropped (device clear).
    void Cleared();
    void WaitUntil(double when);
    void Drive(Lines lines, bool on);
    void InterfaceClear();

    int pad_;
    BenchLink link_;
    DeviceHabits habits_;
    Lines asserts_ = 0;
    std::optional<double> wakeAt_;

    // Addressing (L, LE, T, TE) and serial poll mode (SPMS).
    bool listening_ = false;
    bool talking_ = false;
    bool listenPrimary_ = false;  // LPAS: its primary listen address came last
    bool talkPrimary_ = false;    // TPAS
    bool serialPollMode_ = false;

    Acceptor acceptor_ = Acceptor::Idle;
    Source source_ = Source::Idle;
    std::string heard_;   // data bytes of the message under way
    std::string saying_;  // bytes taken from the instrument, not yet accepted by the listeners
    bool sayingEnds_ = false;
    bool answerGoesOn_ = false;  // the instrument has more of an answer that has no end yet
    bool asked_ = false;         // the instrument was asked for an answer since it was addressed
    bool polled_ = false;        // its status byte went out since it was addressed
    int messages_ = 0;
    double busyUntil_ = 0;
    double nextByteAt_ = 0;
};

}  // namespace firmware
