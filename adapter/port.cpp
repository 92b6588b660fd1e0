// Lines to an adapter and what comes back, over a link and on a clock.
#include "adapter/port.h"

#include <algorithm>
#include <cstdio>

#include "adapter/replies.h"
#include "driver/trace.h"

namespace adapter {

namespace {
// Before any round trip is measured, the link may be slow: a USB serial adapter holds bytes
// for up to 16 ms, a network more.
constexpr double kFirstMargin = 0.25;
constexpr double kLeastMargin = 0.03;
constexpr double kMostMargin = 1.0;
constexpr double kRoundTripsInMargin = 4;
// What a line's error may take beyond the slowest round trip: the host's own scheduling.
constexpr double kLatencySlack = 0.005;
constexpr std::size_t kLongestAnswer = 1 << 20;
// A write that the link does not take within this (beyond what the adapter may still be busy
// with) finds a port that takes nothing more.
constexpr double kWriteSeconds = 2.0;
}  // namespace

Port::Port(std::unique_ptr<Link> link, std::shared_ptr<driver::Clock> clock, std::string where)
    : link_(std::move(link)), clock_(std::move(clock)), where_(std::move(where)) {}

void Port::SetMarker(std::string question, std::string answer) {
    markerQuestion_ = std::move(question);
    markerAnswer_ = std::move(answer);
}

void Port::MakeRoomFor(std::size_t bytes) {
    // The marker itself must still fit behind the busy line.
    if (!waiting_ || !waitingLimit_ || markerQuestion_.empty()) return;
    if (*waiting_ + bytes + markerQuestion_.size() + 1 <= *waitingLimit_) return;
    waiting_.reset();
    if (!SendMarker()) return;
    while (!owed_.empty() && UntilMarker(std::nullopt).closed) {
    }
}

bool Port::Send(std::string_view line, double hold, std::string_view behind) {
    if (lost_) return false;
    const std::string bytes = std::string(line) + "\n";
    MakeRoomFor(bytes.size() + behind.size());
    NoteBytes("host>", line);
    if (!behind.empty()) NoteBytes("host>", behind.substr(0, behind.size() - 1));
    // One write for both: they reach the adapter together.
    if (!SendBytes(bytes + std::string(behind))) return false;
    const double now = clock_->Now();
    busyUntil_ = std::max(busyUntil_, now) + hold;
    ++sequence_;
    if (hold > 0) {
        lastBusyLine_ = sequence_;
        waiting_ = behind.size();
    } else if (waiting_) {
        *waiting_ += bytes.size() + behind.size();
    }
    mayPrintSince_ = now;
    return true;
}

bool Port::SendMarker() {
    return SendMarked({}, 0);
}

bool Port::SendMarked(std::string_view line, double hold) {
    if (markerQuestion_.empty()) return false;
    const double sentAt = clock_->Now();
    // Only an answer that nothing on the bus held up measures the link.
    const bool quick = hold == 0 && busyUntil_ <= sentAt;
    const std::string marker = markerQuestion_ + "\n";
    const bool sent = line.empty() ? Send(markerQuestion_) : Send(line, hold, marker);
    if (!sent) return false;
    // The marker is the line after the one it closes.
    if (!line.empty()) ++sequence_;
    owed_.push_back({sentAt, busyUntil_, hold, sequence_, quick});
    return true;
}

bool Port::Set(const std::string& name, const std::string& value, double hold) {
    const auto known = settings_.find(name);
    if (known != settings_.end() && known->second == value) return !lost_;
    if (!Send("++" + name + " " + value, hold)) return false;
    settings_[name] = value;
    return true;
}

std::optional<std::string> Port::Setting(const std::string& name) const {
    const auto known = settings_.find(name);
    if (known == settings_.end()) return std::nullopt;
    return known->second;
}

std::optional<std::pair<std::size_t, std::size_t>> Port::MarkerAnswer() const {
    for (std::size_t at = input_.find(markerAnswer_); at != std::string::npos;
         at = input_.find(markerAnswer_, at + 1)) {
        std::size_t end = at + markerAnswer_.size();
        if (end < input_.size() && input_[end] == '\r') ++end;
        if (end < input_.size() && input_[end] == '\n') return std::make_pair(at, end + 1);
    }
    return std::nullopt;
}

void Port::Answered(const Owed& owed) {
    const double now = clock_->Now();
    if (measuring_ && owed.quick) {
        slowestRoundTrip_ = std::max(slowestRoundTrip_, now - owed.sentAt);
    }
    // Everything sent before the marker is done, and all it printed has come.
    if (lastBusyLine_ < owed.sequence) waiting_.reset();
    if (sequence_ == owed.sequence) {
        mayPrintSince_.reset();
        busyUntil_ = std::min(busyUntil_, now);
    }
}

Closed Port::UntilMarker(std::optional<double> limit) {
    Closed got;
    if (owed_.empty() || lost_) return got;
    const Owed owed = owed_.front();
    // Silent for longer than the bus may have held it: the adapter is gone.
    double silentBy = owed.busyUntil + kQuickReply + Margin();
    for (;;) {
        if (const auto answer = MarkerAnswer()) {
            got.bytes = input_.substr(0, answer->first);
            input_.erase(0, answer->second);
            got.closed = true;
            owed_.pop_front();
            Answered(owed);
            return got;
        }
        if (input_.size() > kLongestAnswer) break;
        const double deadline = limit ? std::min(*limit, silentBy) : silentBy;
        if (!Take(deadline)) {
            if (!lost_ && clock_->Now() >= silentBy) {
                Abandon("it has not answered \"" + markerQuestion_ + "\" since the bus let it go");
            }
            break;
        }
        // Bytes: it is alive, and the line may keep it for as long again after each of them.
        silentBy = std::max(silentBy, clock_->Now() + owed.hold + kQuickReply + Margin());
    }
    // What came so far is the caller's; the rest, with the marker's answer, is still owed.
    got.bytes = std::move(input_);
    input_.clear();
    return got;
}

Closed Port::Exchange(std::string_view line, double hold, std::optional<double> limit) {
    if (!SendMarked(line, hold)) return {};
    return UntilMarker(limit);
}

Readiness Port::Ready(std::optional<double> limit, bool answered) {
    while (!owed_.empty() && !lost_) {
        const Closed late = UntilMarker(limit);
        if (!late.bytes.empty()) {
            if (note_) note_("discarded " + std::to_string(late.bytes.size()) + " bytes owed");
        }
        if (!late.closed && !lost_) return Readiness::Busy;
    }
    if (lost_) return Readiness::Lost;
    // A line that takes no answer minds no stray input: the next one that does drops it.
    if (!answered) return Readiness::Ready;
    // What the adapter prints in answer to a line that otherwise prints nothing (an error line)
    // comes within a round trip of it: wait that long, then drop it all.
    const double quietBy = mayPrintSince_ ? *mayPrintSince_ + Latency() : clock_->Now();
    while (!lost_ && Take(std::max(quietBy, clock_->Now()))) {
    }
    mayPrintSince_.reset();
    DropArrived();
    return lost_ ? Readiness::Lost : Readiness::Ready;
}

void Port::DropArrived() {
    while (!lost_ && Take(clock_->Now())) {
    }
    if (!input_.empty()) {
        if (note_) note_("discarded " + std::to_string(input_.size()) + " bytes");
        input_.clear();
    }
}

std::optional<std::string> Port::Line(double seconds) {
    const double deadline = clock_->Now() + seconds + Margin();
    for (;;) {
        const std::size_t end = input_.find('\n');
        if (end != std::string::npos) {
            std::string line = input_.substr(0, end);
            input_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            line = std::string(WithoutReadyFlag(line));
            if (!IsNotice(line)) return line;
            continue;
        }
        if (!Take(deadline)) return std::nullopt;
    }
}

std::optional<std::string> Port::Query(std::string_view line, double seconds) {
    if (!Send(line)) return std::nullopt;
    return Line(seconds);
}

double Port::Margin() const {
    if (slowestRoundTrip_ < 0) return kFirstMargin;
    return std::clamp(kLeastMargin + kRoundTripsInMargin * slowestRoundTrip_, kLeastMargin,
                      kMostMargin);
}

double Port::Latency() const {
    if (slowestRoundTrip_ < 0) return kFirstMargin;
    return slowestRoundTrip_ + kLatencySlack;
}

bool Port::SendBytes(std::string_view bytes) {
    if (lost_) return false;
    // A Prologix takes nothing while it is busy on the bus (flow control): that long and more.
    const double now = clock_->Now();
    if (link_->Send(bytes, now + kWriteSeconds + std::max(0.0, busyUntil_ - now))) return true;
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
    owed_.clear();
    const std::string text = "lost the adapter at " + where_ + ": " + reason;
    if (note_) note_(text);
    std::fprintf(stderr, "gpib adapter: %s\n", text.c_str());
}

void Port::NoteBytes(std::string_view direction, std::string_view bytes) {
    if (note_) note_(std::string(direction) + " \"" + driver::EscapeBytes(bytes) + "\"");
}

}  // namespace adapter
