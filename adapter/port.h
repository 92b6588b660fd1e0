// Lines to an adapter and what comes back, over a link and on a clock. An exchange whose end
// matters is closed by a marker: a question of the adapter's own with a known answer, sent behind
// it, so that everything before that answer belongs to the exchange, however late or in however
// many pieces it comes, and whatever bytes it holds. A marker not yet answered is owed: it is
// waited for before the next exchange, for as long as the bus may hold the adapter; silence
// beyond that, or a link that fails, means the adapter is gone, and every later exchange fails
// at once.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "adapter/link.h"
#include "driver/clock.h"

namespace adapter {

// Appended by the adapter to the host stream when an instrument ended its answer with EOI.
constexpr char kEotChar = 4;

// What an exchange brought: the bytes before its marker's answer, and whether that answer came.
struct Closed {
    std::string bytes;
    bool closed = false;
};

enum class Readiness {
    Ready,  // nothing owed, nothing left over
    Busy,   // still at work on the bus when the time allowed was over
    Lost,   // gone
};

class Port {
public:
    // An adapter answers its own questions at once: this long, and the link's margin.
    static constexpr double kQuickReply = 0.5;

    // `where` names the adapter in messages, e.g. "/dev/ttyUSB0".
    Port(std::unique_ptr<Link> link, std::shared_ptr<driver::Clock> clock, std::string where);

    // Where the lines to and from the adapter are noted (the driver's trace).
    void NoteWith(std::function<void(std::string_view)> note) { note_ = std::move(note); }
    bool Lost() const { return lost_; }
    driver::Clock& Clock() { return *clock_; }

    // The marker: a question of the adapter's own and the line it answers.
    void SetMarker(std::string question, std::string answer);

    // One line and its LF. `hold`: the longest the line may keep the adapter busy on the bus.
    // `behind`: a line (with its LF) that goes out with it, in the same write.
    bool Send(std::string_view line, double hold = 0, std::string_view behind = {});
    // "++<name> <value>", unless that is what the adapter was last told.
    bool Set(const std::string& name, const std::string& value, double hold = 0);
    // The value last sent for a setting, if any.
    std::optional<std::string> Setting(const std::string& name) const;

    // Before an exchange: waits for the answers the adapter owes, until `limit` (a time on the
    // clock) at most; before one that takes an answer (`answered`), also drops what the adapter
    // printed on its own, allowing for the link's latency.
    Readiness Ready(std::optional<double> limit = std::nullopt, bool answered = true);
    // Drops what has arrived, without waiting.
    void DropArrived();

    // Before the marker is known: the next line (without CR LF) that is no notice of the
    // adapter's own, allowing `seconds` for the adapter and the margin for the link.
    std::optional<std::string> Line(double seconds);
    std::optional<std::string> Query(std::string_view line, double seconds);

    // Sends `line`, then the marker.
    bool SendMarked(std::string_view line, double hold);
    // The bytes up to the answer to the oldest marker owed, waiting until `limit` at most.
    Closed UntilMarker(std::optional<double> limit);
    // Both at once: an exchange closed by the marker.
    Closed Exchange(std::string_view line, double hold, std::optional<double> limit = {});

    // Gives the adapter up for good: every later exchange fails at once.
    void Abandon(const std::string& reason);

    // The time allowed on top of the adapter's own for the link, from round trips measured.
    double Margin() const;
    void MeasureRoundTrips(bool on) { measuring_ = on; }
    // AR488: what may be sent behind a line that keeps it busy before the rest is lost.
    void LimitWaitingBytes(std::size_t bytes) { waitingLimit_ = bytes; }

private:
    // A marker sent and not yet answered.
    struct Owed {
        double sentAt;
        double busyUntil;  // the latest the adapter may be busy with what came before it
        double hold;       // what the line it closes may take again after each byte it brings
        long sequence;     // of the lines sent
        bool quick;        // nothing before it held the adapter: its answer times the link
    };

    bool SendBytes(std::string_view bytes);
    bool SendMarker();
    // What arrives before the deadline into `input_`; false when nothing did.
    bool Take(double deadline);
    // Where the answer to the marker ends in `input_`, and where it starts.
    std::optional<std::pair<std::size_t, std::size_t>> MarkerAnswer() const;
    void Answered(const Owed& owed);
    // Waits for the adapter to finish the busy line before more would be lost.
    void MakeRoomFor(std::size_t bytes);
    // How long a line's error takes to come back: the slowest round trip measured.
    double Latency() const;
    void NoteBytes(std::string_view direction, std::string_view bytes);

    std::unique_ptr<Link> link_;
    std::shared_ptr<driver::Clock> clock_;
    std::string where_;
    std::function<void(std::string_view)> note_;
    std::string input_;
    std::map<std::string, std::string> settings_;
    std::string markerQuestion_;
    std::string markerAnswer_;
    std::deque<Owed> owed_;
    double busyUntil_ = 0;
    // When a line was last sent that prints nothing unless something is wrong, and nothing has
    // closed it since.
    std::optional<double> mayPrintSince_;
    long sequence_ = 0;
    long lastBusyLine_ = -1;
    bool lost_ = false;
    bool measuring_ = false;
    double slowestRoundTrip_ = -1;
    std::optional<std::size_t> waitingLimit_;
    std::optional<std::size_t> waiting_;  // bytes sent behind a busy line not yet finished
};

}  // namespace adapter
