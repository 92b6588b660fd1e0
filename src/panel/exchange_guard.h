// One exchange with the supply at a time.
//
// A handler that talks to the supply (Refresh, Apply, the output toggle, Initialize, saving and
// loading the values) lets window events run in the middle of its exchange: in the pause
// between a query and its answer, in the pause after switching the output off, and while a box
// it shows waits for the user. A click or key handled then must not start a second exchange:
// a query written before the first answer is read makes the instrument drop that answer, so a
// label could show a current as a voltage, or a read could time out.
//
// So each such handler holds an ExchangeGuard for as long as it runs. A guard made while
// another is held, or before the supply is found, claims nothing, and its handler returns at
// once without touching the bus or the display. The window keeps repainting and takes every
// input that starts no exchange (typing, the polarity choice). Routines the handlers share
// (ReadBack, ReadAllChannels, the steps of Apply) take no guard of their own: they run inside
// their handler's.
#pragma once

#include <functional>
#include <utility>

class BusExchanges {
public:
    bool Running() const { return running_; }

    // The window has found its supply: guards may claim from now on. Until then nothing
    // reaches the bus, so a window without a supply, or not loaded yet, talks to nobody.
    void Open() { open_ = true; }

    // Runs `step` once no exchange is running: at once when none is, otherwise as soon as the
    // running one has ended. A close of the window waits for the running exchange this way.
    // A later call replaces a step still waiting; an immediate end drops it.
    void WhenIdle(std::function<void()> step);

    // The window's last exchange has begun (its unload): from now on no guard claims anything
    // and no step waits, so nothing more reaches the bus.
    void StopForGood();

    // Told true when an exchange begins and false once it has ended (before a waiting step
    // runs), so that the window can show from outside whether one runs.
    void WhenRunningChanges(std::function<void(bool)> tell) { tellRunning_ = std::move(tell); }

private:
    friend class ExchangeGuard;

    void SetRunning(bool running);

    bool running_ = false;
    bool open_ = false;
    bool stopped_ = false;
    std::function<void()> waiting_;
    std::function<void(bool)> tellRunning_;
};

class ExchangeGuard {
public:
    explicit ExchangeGuard(BusExchanges& exchanges);
    // Runs the step that waited for this exchange; that step may end the program at once, which
    // under test leaves by an exception, so this destructor lets one pass.
    ~ExchangeGuard() noexcept(false);
    ExchangeGuard(const ExchangeGuard&) = delete;
    ExchangeGuard& operator=(const ExchangeGuard&) = delete;

    // False when another exchange was running: the handler must do nothing.
    explicit operator bool() const { return claimed_; }

private:
    BusExchanges& exchanges_;
    bool claimed_;
};
