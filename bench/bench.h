// The bench: the driver's calls over the simulated bus, with its instruments and faults.
#pragma once

#include <memory>
#include <string>

#include "bench/faults.h"
#include "bench/instrument.h"
#include "bench/simulated_bus.h"
#include "driver/driver.h"

namespace bench {

// The bench is a driver of ours over a simulated bus; these are the driver core's names that the
// bench and the adapter emulated in front of it speak.
using driver::Clock;
using driver::END;
using driver::ERR;
using driver::EscapeBytes;
using driver::IsSecondaryAddress;
using driver::kHighestPad;
using driver::N;
using driver::NOADDR;
using driver::RealClock;
namespace option = driver::option;

class Bench : public driver::Driver {
public:
    explicit Bench(std::shared_ptr<Clock> clock);

    // An instrument at primary address 1..30, replacing any there.
    void Attach(int pad, std::unique_ptr<Instrument> instrument) {
        Simulated().Attach(pad, std::move(instrument));
    }
    Instrument* At(int pad) const { return Simulated().At(pad); }

    // Faults: see SimulatedBus.
    void FailFindLstn(int iberr) { Simulated().FailFindLstn(iberr); }
    void UnplugAfter(int pad, int messages) { Simulated().UnplugAfter(pad, messages); }
    void RefuseWrites(int pad, int iberr) { Simulated().RefuseWrites(pad, iberr); }
    void RefuseWrite(int pad, int nth, int iberr) { Simulated().RefuseWrite(pad, nth, iberr); }
    void SpoilAnswer(int pad, int nth, AnswerFault fault) {
        Simulated().SpoilAnswer(pad, nth, fault);
    }

    // Restores the attached supplies' settings kept in `path` and keeps them there from now on.
    void SetStateFile(const std::string& path) { Simulated().SetStateFile(path); }

private:
    SimulatedBus& Simulated() const { return static_cast<SimulatedBus&>(TheBus()); }
};

}  // namespace bench
