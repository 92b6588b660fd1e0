// One exchange with the supply at a time.
#include "panel/exchange_guard.h"

#include <exception>
#include <utility>

void BusExchanges::WhenIdle(std::function<void()> step) {
    if (stopped_) return;
    if (running_) {
        waiting_ = std::move(step);
    } else {
        step();
    }
}

void BusExchanges::StopForGood() {
    stopped_ = true;
    waiting_ = nullptr;
}

void BusExchanges::SetRunning(bool running) {
    running_ = running;
    if (tellRunning_) tellRunning_(running);
}

ExchangeGuard::ExchangeGuard(BusExchanges& exchanges)
    : exchanges_(exchanges),
      claimed_(exchanges.open_ && !exchanges.running_ && !exchanges.stopped_) {
    if (claimed_) exchanges_.SetRunning(true);
}

ExchangeGuard::~ExchangeGuard() noexcept(false) {
    if (!claimed_) return;
    exchanges_.SetRunning(false);
    std::function<void()> step = std::exchange(exchanges_.waiting_, nullptr);
    // An immediate end unwinding the handler leaves nothing more to run.
    if (step && std::uncaught_exceptions() == 0) step();
}
