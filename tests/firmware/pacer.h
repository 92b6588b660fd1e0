// Holds simulated time to the wall clock: the firmware's time-outs count simulated time, the
// host's count the wall clock's, so the simulation never runs ahead (it sleeps) and says when it
// falls behind. Its figures: the ratio of simulated to real time, and how fast the simulation
// could have run, from the time it spent running.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace firmware {

class Pacer {
public:
    // `say` takes the lines that tell how the run goes (falling behind, catching up).
    Pacer(double frequency, std::function<void(const std::string&)> say);

    // Seconds of wall-clock time since the start.
    double Wall() const;
    double Simulated(std::uint64_t cycle) const { return static_cast<double>(cycle) / frequency_; }
    // The cycle to run up to now; `cycle` itself when the simulation is ahead.
    std::uint64_t RunUpTo(std::uint64_t cycle) const;
    // How long to sleep before running on, when ahead.
    double Ahead(std::uint64_t cycle) const { return Simulated(cycle) - Wall() - kLead; }
    // Notes the time spent running, and whether the simulation has fallen behind.
    void Ran(std::uint64_t cycles, double seconds, std::uint64_t cycle);
    // "simulated 12.300 s in 12.302 s of wall-clock time (ratio 1.00); ..."
    std::string Summary(std::uint64_t cycle) const;

private:
    // Simulated time may run this far ahead of the wall clock, and this far behind it before it
    // is said to fall behind.
    static constexpr double kLead = 0.001;
    static constexpr double kBehind = 0.05;

    double frequency_;
    std::function<void(const std::string&)> say_;
    std::chrono::steady_clock::time_point start_;
    double running_ = 0;           // wall-clock seconds spent running the simulation
    std::uint64_t ranCycles_ = 0;  // cycles run in that time
    double worstLag_ = 0;
    int fallsBehind_ = 0;
    bool behind_ = false;
    double episodeWorst_ = 0;
};

}  // namespace firmware
