// The emulated adapter's time: never behind the host's clock, and ahead of it while the adapter
// is busy on the bus. The adapter then works without sleeping: what it says carries the time it
// said it, and what the host sends meanwhile waits in its input as it would on a real one.
#pragma once

#include <algorithm>
#include <memory>
#include <utility>

#include "driver/clock.h"

namespace bench {

class AdapterClock : public driver::Clock {
public:
    explicit AdapterClock(std::shared_ptr<driver::Clock> host) : host_(std::move(host)) {}

    double Now() override { return std::max(ahead_, host_->Now()); }
    void Sleep(double seconds) override {
        if (seconds > 0) ahead_ = Now() + seconds;
    }
    // The host's time: when the bytes it sends now arrive.
    double HostNow() { return host_->Now(); }

private:
    std::shared_ptr<driver::Clock> host_;
    double ahead_ = 0;
};

}  // namespace bench
