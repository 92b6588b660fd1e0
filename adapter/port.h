// Lines to an adapter and what comes back, over a link and on a clock: settings sent only when
// they change, input left from an earlier exchange thrown away before the next, every wait
// bounded, and the loss of the link noticed once and kept.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "adapter/link.h"
#include "driver/clock.h"

namespace adapter {

// Appended by the adapter to the host stream when an instrument ended its answer with EOI. The
// instruments this is made for send printable text only; a byte 4 inside an answer would end
// the read early.
constexpr char kEotChar = 4;

// The bytes of one read round, and whether the instrument ended them.
struct ReadRound {
    std::string bytes;
    bool end = false;
};

class Port {
public:
    // `where` names the adapter in messages, e.g. "/dev/ttyUSB0".
    Port(std::unique_ptr<Link> link, std::shared_ptr<driver::Clock> clock, std::string where);

    // Where the lines to and from the adapter are noted (the driver's trace).
    void NoteWith(std::function<void(std::string_view)> note) { note_ = std::move(note); }
    bool Lost() const { return lost_; }
    driver::Clock& Clock() { return *clock_; }

    // One line and its LF. `busy`: the line occupies the adapter on the bus for a while.
    bool Send(std::string_view line, bool busy = false);
    // "++<name> <value>", unless that is what the adapter was last told.
    bool Set(const std::string& name, const std::string& value);
    // The value last sent for a setting, if any.
    std::optional<std::string> Setting(const std::string& name) const;
    // Drops what arrived unasked, e.g. the late end of an answer that timed out.
    void Discard();
    // The next line the adapter sends (without CR LF), allowing `seconds` for the adapter and
    // the margin for the link; nothing when it stays silent or the link is gone.
    std::optional<std::string> Line(double seconds);
    // Sends a query line and returns the line it gets back.
    std::optional<std::string> Query(std::string_view line, double seconds);
    // Sends a read command and takes the bytes it brings, up to the end-of-transmission mark
    // (END), or up to `eos` when given (END too), or until the link has been silent for
    // `seconds` plus the margin since the last byte.
    ReadRound Read(std::string_view command, double seconds, std::optional<char> eos);

    // Gives the adapter up for good (it no longer answers): every later exchange fails at once.
    void Abandon(const std::string& reason);

    // The time allowed on top of the adapter's own for the link, from round trips measured.
    double Margin() const;
    void MeasureRoundTrips(bool on) { measuring_ = on; }
    // AR488: what may be sent behind a line that keeps it busy before the rest is lost.
    void LimitWaitingBytes(std::size_t bytes) { waitingLimit_ = bytes; }

private:
    bool SendBytes(std::string_view bytes);
    // What arrives before the deadline into `input_`; false when nothing did.
    bool Take(double deadline);
    std::optional<std::string> LineBy(double deadline);
    // Waits for the adapter to finish the busy line before more would be lost.
    void Fence();
    // Fences when `bytes` more would not fit behind the busy line.
    void MakeRoomFor(std::size_t bytes);
    void NoteBytes(std::string_view direction, std::string_view bytes);

    std::unique_ptr<Link> link_;
    std::shared_ptr<driver::Clock> clock_;
    std::string where_;
    std::function<void(std::string_view)> note_;
    std::string input_;
    std::map<std::string, std::string> settings_;
    bool lost_ = false;
    bool measuring_ = false;
    double slowestRoundTrip_ = -1;
    std::optional<std::size_t> waitingLimit_;
    std::optional<std::size_t> waiting_;  // bytes sent behind a busy line not yet finished
};

}  // namespace adapter
