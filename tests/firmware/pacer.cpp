// Simulated time held to the wall clock.
#include "pacer.h"

#include <algorithm>
#include <cstdio>

namespace firmware {

namespace {
// The longest stretch run between two looks at the host and the clock: a millisecond.
constexpr double kLongestStretch = 0.001;

std::string Figure(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}
}  // namespace

Pacer::Pacer(double frequency, std::function<void(const std::string&)> say)
    : frequency_(frequency), say_(std::move(say)), start_(std::chrono::steady_clock::now()) {}

double Pacer::Wall() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

std::uint64_t Pacer::RunUpTo(std::uint64_t cycle) const {
    const double until = std::min(Wall() + kLead, Simulated(cycle) + kLongestStretch);
    const auto target = static_cast<std::uint64_t>(until * frequency_);
    return std::max(cycle, target);
}

void Pacer::Ran(std::uint64_t cycles, double seconds, std::uint64_t cycle) {
    ranCycles_ += cycles;
    running_ += seconds;
    const double wall = Wall();
    const double lag = wall - Simulated(cycle);
    worstLag_ = std::max(worstLag_, lag);
    if (!behind_ && lag > kBehind) {
        behind_ = true;
        episodeWorst_ = lag;
        ++fallsBehind_;
        say_(Figure("%.3f s: ", wall) + "the simulation falls behind the wall clock");
    } else if (behind_ && lag <= kLead) {
        behind_ = false;
        say_(Figure("%.3f s: ", wall) + "caught up again, after being up to " +
             Figure("%.0f", episodeWorst_ * 1000) + " ms behind");
    } else if (behind_) {
        episodeWorst_ = std::max(episodeWorst_, lag);
    }
}

std::string Pacer::Summary(std::uint64_t cycle) const {
    const double wall = Wall();
    const double simulated = Simulated(cycle);
    const double speed = running_ > 0 ? static_cast<double>(ranCycles_) / frequency_ / running_ : 0;
    return "simulated " + Figure("%.3f", simulated) + " s in " + Figure("%.3f", wall) +
           " s of wall-clock time (ratio " + Figure("%.3f", wall > 0 ? simulated / wall : 0) +
           "); it could have run " + Figure("%.2f", speed) +
           " times as fast as real time; behind the wall clock " + std::to_string(fallsBehind_) +
           " times, at most " + Figure("%.0f", std::max(0.0, worstLag_) * 1000) + " ms";
}

}  // namespace firmware
