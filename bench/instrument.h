// What the bus needs of an instrument: it listens, talks, is cleared and is serially polled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bench {

class Instrument {
public:
    virtual ~Instrument() = default;

    // The kind as GPIB_BENCH names it, e.g. "PS5010".
    virtual std::string Kind() const = 0;

    // Bytes addressed to the instrument; `eoi` is set when the last of them carried EOI.
    // `now` is the bench clock, for instruments that take their time to answer.
    virtual void Listen(std::string_view bytes, bool eoi, double now) = 0;

    // From when (bench clock) the pending answer can be read; nothing when there is none.
    virtual std::optional<double> AnswerReadyAt() const = 0;

    // Takes up to `max` bytes of the pending answer; `eoi` is set with its last byte.
    virtual std::string Talk(std::size_t max, bool& eoi) = 0;

    // Addressed to talk with nothing to say (the HP 6032A counts that as an error).
    virtual void TalkedWithNothingToSay() {}

    // Device clear: input and output buffers emptied, settings kept.
    virtual void DeviceClear() = 0;

    // Serial poll: the status byte; reading it may withdraw a service request.
    virtual std::uint8_t SerialPoll() = 0;

    // The settings a supply keeps while it stays switched on, written as a message that the
    // instrument itself accepts; empty for instruments without settings.
    virtual std::string Settings() const { return {}; }

    // Takes back what Settings() gave; false, and nothing changed, when they do not fit.
    virtual bool RestoreSettings(const std::string& settings) { return settings.empty(); }
};

}  // namespace bench
