// The simulated bus: instruments at primary addresses 1..30 that listen, talk, are cleared and
// polled, with the faults the bench can inject.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "bench/faults.h"
#include "bench/instrument.h"
#include "driver/bus.h"
#include "driver/clock.h"

namespace bench {

class StateFile;

class SimulatedBus : public driver::Bus {
public:
    explicit SimulatedBus(std::shared_ptr<driver::Clock> clock);
    ~SimulatedBus() override;

    // An instrument at primary address 1..30, replacing any there.
    void Attach(int pad, std::unique_ptr<Instrument> instrument);
    Instrument* At(int pad) const;

    // Faults. `messages` counts writes that reach the instrument; after that many it is gone
    // from the bus: writes, clears and polls fail with ENOL, reads time out.
    void FailFindLstn(int iberr) { findLstnError_ = iberr; }
    void UnplugAfter(int pad, int messages);
    void RefuseWrites(int pad, int iberr);
    // One exchange, counted from now: the `nth` write addressed to `pad` fails with `iberr` and
    // reaches nothing; or the answer to the `nth` message comes as `fault` makes it.
    void RefuseWrite(int pad, int nth, int iberr);
    void SpoilAnswer(int pad, int nth, AnswerFault fault);

    // Restores the attached supplies' settings kept in `path` and keeps them there from now on.
    void SetStateFile(const std::string& path);

    driver::Outcome InterfaceClear() override { return {}; }
    driver::Outcome RemoteEnable(bool) override { return {}; }
    driver::Outcome FindListeners(const std::vector<driver::Address>& addresses,
                                  std::vector<driver::Address>& found) override;
    driver::Outcome Listens(int pad, int sad, bool& found) override;
    driver::Outcome Write(const driver::Descriptor& device, std::string_view bytes) override;
    driver::Outcome Read(const driver::Descriptor& device, void* buf, long count,
                         std::string& data) override;
    driver::Outcome Clear(const driver::Descriptor& device) override;
    driver::Outcome Poll(const driver::Descriptor& device, std::uint8_t& status) override;
    // The instruments do nothing on a trigger or on going to local; both still need a listener.
    driver::Outcome Trigger(const driver::Descriptor& device) override { return Reach(device); }
    driver::Outcome GoToLocal(const driver::Descriptor& device) override { return Reach(device); }
    driver::Outcome Reach(const driver::Descriptor& device) override;
    driver::Outcome Command(std::string_view bytes) override;
    // No instrument on the bench answers a parallel poll.
    driver::Outcome ParallelPoll(std::uint8_t& response) override {
        response = 0;
        return {};
    }

private:
    struct Slot {
        std::unique_ptr<Instrument> instrument;
        std::optional<int> messagesLeft;  // unplugged when it reaches 0
        std::optional<int> refusal;       // iberr of every write
        PlannedFaults planned;            // faults on single exchanges
    };

    // The slot of an instrument address; other addresses are a mistake of the caller.
    Slot& InstrumentSlot(int pad);
    // The instrument a device descriptor reaches, when it is on the bus and listening.
    Instrument* Listener(const driver::Descriptor& device);
    bool IsListening(int pad) const;
    bool AnyListener() const;
    driver::Outcome TimedOut(const driver::Descriptor& device);
    // A read under a fault that lasts until the next write, if one is planned.
    std::optional<driver::Outcome> LastingFault(const driver::Descriptor& device, void* buf,
                                                long count, std::string& data);
    // A write reached the instrument at `pad`: count it and keep its settings.
    void Delivered(int pad);

    std::shared_ptr<driver::Clock> clock_;
    std::array<Slot, driver::kHighestPad + 1> slots_;
    // Addressed to listen by the board's command bytes, for a later SDC.
    std::array<bool, driver::kHighestPad + 1> addressedToListen_{};
    std::optional<int> findLstnError_;
    std::unique_ptr<StateFile> stateFile_;
};

}  // namespace bench
