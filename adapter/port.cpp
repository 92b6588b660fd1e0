// Lines to an adapter and what comes back, over a link and on a clock.
#include "adapter/port.h"

#include <algorithm>
#include <cstdio>

#include "driver/trace.h"

namespace adapter {

namespace {
// Before any round trip is measured, the link may be slow: a USB serial adapter holds bytes
// for up to 16 ms, a network more.
constexpr double kFirstMargin = 0.25;
constexpr double kLeastMargin = 0.03;
constexpr double kMostMargin = 1.0;
constexpr double kRoundTripsInMargin = 4;
constexpr std::size_t kLongestAnswer = 1 << 20;

// A query the adapter answers at once when it has finished what came before.
constexpr std::string_view kFence = "++addr";
// The longest an AR488 takes over a line on the bus: its time-out, which also bounds writes.
constexpr double kLongestBusySeconds = 32.0;
// A write that the link does not take within this (beyond the longest the adapter may be busy
// on the bus, when a Prologix takes nothing by flow control) finds a port that takes nothing more.
constexpr double kWriteSeconds = 2.0 + kLongestBusySeconds;
}  // namespace

Port::Port(std::unique_ptr<Link> link, std::shared_ptr<driver::Clock> clock, std::string where)
    : link_(std::move(link)), clock_(std::move(clock)), where_(std::move(where)) {}

void Port::MakeRoomFor(std::size_t bytes) {
    // The fence itself must still fit behind the busy line.
    if (waiting_ && waitingLimit_ && *waiting_ + bytes + kFence.size() + 1 > *waitingLimit_) {
        Fence();
    }
}

bool Port::Send(std::string_view line, bool busy) {
    if (lost_) return false;
    const std::string bytes = std::string(line) + "\n";
    MakeRoomFor(bytes.size());
    NoteBytes("host>", line);
    if (!SendBytes(bytes)) return false;
    if (busy) {
        waiting_ = 0;
    } else if (waiting_) {
        *waiting_ += bytes.size();
    }
    return true;
}

void Port::Fence() {
    const std::optional<std::string> timeout = Setting("read_tmo_ms");
    const double busySeconds = timeout ? std::stod(*timeout) / 1000.0 : kLongestBusySeconds;
    waiting_.reset();
    NoteBytes("host>", kFence);
    if (SendBytes(std::string(kFence) + "\n")) LineBy(clock_->Now() + busySeconds + Margin());
}

bool Port::Set(const std::string& name, const std::string& value) {
    const auto known = settings_.find(name);
    if (known != settings_.end() && known->second == value) return !lost_;
    if (!Send("++" + name + " " + value)) return false;
    settings_[name] = value;
    return true;
}

std::optional<std::string> Port::Setting(const std::string& name) const {
    const auto known = settings_.find(name);
    if (known == settings_.end()) return std::nullopt;
    return known->second;
}

void Port::Discard() {
    while (!lost_ && Take(clock_->Now())) {
    }
    if (!input_.empty()) {
        if (note_) note_("discarded " + std::to_string(input_.size()) + " bytes");
        input_.clear();
    }
}

std::optional<std::string> Port::Line(double seconds) {
    return LineBy(clock_->Now() + seconds + Margin());
}

std::optional<std::string> Port::LineBy(double deadline) {
    for (;;) {
        const std::size_t end = input_.find('\n');
        if (end != std::string::npos) {
            std::string line = input_.substr(0, end);
            input_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            // Whatever was sent before the line that brought this reply is done.
            waiting_.reset();
            return line;
        }
        if (!Take(deadline)) {
            // Silent for as long as the adapter takes at most: it is done as well.
            waiting_.reset();
            return std::nullopt;
        }
    }
}

std::optional<std::string> Port::Query(std::string_view line, double seconds) {
    Discard();
    // Any wait for room first, so that the time allowed starts as the line goes out.
    MakeRoomFor(line.size() + 1);
    const double sent = clock_->Now();
    if (!Send(line)) return std::nullopt;
    std::optional<std::string> reply = LineBy(sent + seconds + Margin());
    if (reply && measuring_) slowestRoundTrip_ = std::max(slowestRoundTrip_, clock_->Now() - sent);
    return reply;
}

ReadRound Port::Read(std::string_view command, double seconds, std::optional<char> eos) {
    Discard();
    MakeRoomFor(command.size() + 1);
    double deadline = clock_->Now() + seconds + Margin();
    if (!Send(command, true)) return {};
    for (;;) {
        const std::size_t mark = input_.find(kEotChar);
        const std::size_t character = eos ? input_.find(*eos) : std::string::npos;
        if (mark != std::string::npos && mark <= character) {
            // Nothing follows the mark; anything that did would be no part of this answer.
            ReadRound round{input_.substr(0, mark), true};
            input_.clear();
            waiting_.reset();
            return round;
        }
        if (character != std::string::npos) {
            ReadRound round{input_.substr(0, character + 1), true};
            input_.erase(0, character + 1);
            waiting_.reset();
            return round;
        }
        // An instrument that never ends its answer: what came so far, as after a time-out.
        if (input_.size() > kLongestAnswer || !Take(deadline)) break;
        // The adapter's time-out runs from the last byte it passed on.
        deadline = std::max(deadline, clock_->Now() + seconds + Margin());
    }
    waiting_.reset();
    ReadRound round{std::move(input_), false};
    input_.clear();
    return round;
}

double Port::Margin() const {
    if (slowestRoundTrip_ < 0) return kFirstMargin;
    return std::clamp(kLeastMargin + kRoundTripsInMargin * slowestRoundTrip_, kLeastMargin,
                      kMostMargin);
}

bool Port::SendBytes(std::string_view bytes) {
    if (lost_) return false;
    if (link_->Send(bytes, clock_->Now() + kWriteSeconds)) return true;
    Abandon(link_->Failure());
    return false;
}

bool Port::Take(double deadline) {
    if (lost_) return false;
    const std::optional<std::string> got = link_->Receive(deadline);
    if (!got) {
        Abandon(link_->Failure());
        return false;
    }
    if (got->empty()) return false;
    NoteBytes("host<", *got);
    input_ += *got;
    return true;
}

void Port::Abandon(const std::string& reason) {
    if (lost_) return;
    lost_ = true;
    const std::string text = "lost the adapter at " + where_ + ": " + reason;
    if (note_) note_(text);
    std::fprintf(stderr, "gpib adapter: %s\n", text.c_str());
}

void Port::NoteBytes(std::string_view direction, std::string_view bytes) {
    if (note_) note_(std::string(direction) + " \"" + driver::EscapeBytes(bytes) + "\"");
}

}  // namespace adapter
