// A driver's sense of time: real in the driver libraries, virtual in tests.
#pragma once

#include <chrono>
#include <thread>

namespace driver {

class Clock {
public:
    virtual ~Clock() = default;
    virtual double Now() = 0;                // seconds, never running backwards
    virtual void Sleep(double seconds) = 0;  // lets that much time pass
};

class RealClock : public Clock {
public:
    double Now() override {
        using namespace std::chrono;
        return duration<double>(steady_clock::now().time_since_epoch()).count();
    }
    void Sleep(double seconds) override {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }
};

// Time passes only when someone sleeps, so a 3 s time-out costs no real time.
class VirtualClock : public Clock {
public:
    double Now() override { return now_; }
    void Sleep(double seconds) override {
        if (seconds > 0) now_ += seconds;
    }

private:
    double now_ = 0.0;
};

}  // namespace driver
