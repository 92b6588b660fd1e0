// The simulated bus: instruments, their faults, and the transfers that reach them.
#include "bench/simulated_bus.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "bench/state_file.h"
#include "driver/trace.h"

namespace bench {

using driver::Descriptor;
using driver::Failed;
using driver::Outcome;

namespace {
// Command bytes (sent with ATN) the instruments act on.
constexpr unsigned char kSelectedDeviceClear = 0x04;
constexpr unsigned char kDeviceClear = 0x14;
constexpr unsigned char kListenAddress = 0x20;
constexpr unsigned char kUnlisten = 0x3F;

constexpr int kAllSecondaries = -1;  // ibln's ALL_SAD
}  // namespace

SimulatedBus::SimulatedBus(std::shared_ptr<driver::Clock> clock) : clock_(std::move(clock)) {}

SimulatedBus::~SimulatedBus() = default;

SimulatedBus::Slot& SimulatedBus::InstrumentSlot(int pad) {
    if (pad < 1 || pad > driver::kHighestPad) {
        throw std::out_of_range("bench: no address " + driver::N(pad));
    }
    return slots_[pad];
}

void SimulatedBus::Attach(int pad, std::unique_ptr<Instrument> instrument) {
    InstrumentSlot(pad).instrument = std::move(instrument);
}

Instrument* SimulatedBus::At(int pad) const {
    if (pad < 1 || pad > driver::kHighestPad) return nullptr;
    return slots_[pad].instrument.get();
}

void SimulatedBus::UnplugAfter(int pad, int messages) {
    InstrumentSlot(pad).messagesLeft = std::max(0, messages);
}

void SimulatedBus::RefuseWrites(int pad, int iberr) {
    InstrumentSlot(pad).refusal = iberr;
}

void SimulatedBus::RefuseWrite(int pad, int nth, int iberr) {
    PlannedFaults& planned = InstrumentSlot(pad).planned;
    planned.RefuseWrite(planned.Writes() + nth, iberr);
}

void SimulatedBus::SpoilAnswer(int pad, int nth, AnswerFault fault) {
    PlannedFaults& planned = InstrumentSlot(pad).planned;
    planned.SpoilAnswer(planned.Writes() + nth, fault);
}

void SimulatedBus::SetStateFile(const std::string& path) {
    stateFile_ = std::make_unique<StateFile>(path);
    for (int pad = 1; pad <= driver::kHighestPad; ++pad) {
        Instrument* instrument = At(pad);
        if (!instrument) continue;
        const std::optional<std::string> saved = stateFile_->SettingsFor(pad, instrument->Kind());
        if (saved && !instrument->RestoreSettings(*saved)) {
            std::fprintf(stderr, "gpib bench: ignoring saved settings of the %s at %d: %s\n",
                         instrument->Kind().c_str(), pad, saved->c_str());
        }
    }
}

void SimulatedBus::Delivered(int pad) {
    Slot& slot = slots_[pad];
    if (slot.messagesLeft) --*slot.messagesLeft;
    const std::string settings = slot.instrument->Settings();
    if (stateFile_ && !settings.empty()) stateFile_->Keep(pad, slot.instrument->Kind(), settings);
}

bool SimulatedBus::IsListening(int pad) const {
    if (pad < 1 || pad > driver::kHighestPad) return false;
    const Slot& slot = slots_[pad];
    return slot.instrument && (!slot.messagesLeft || *slot.messagesLeft > 0);
}

bool SimulatedBus::AnyListener() const {
    for (int pad = 1; pad <= driver::kHighestPad; ++pad) {
        if (IsListening(pad)) return true;
    }
    return false;
}

Instrument* SimulatedBus::Listener(const Descriptor& device) {
    // The instruments have no secondary addresses: nothing answers to one.
    if (device.sad != 0 || !IsListening(device.pad)) return nullptr;
    return slots_[device.pad].instrument.get();
}

Outcome SimulatedBus::FindListeners(const std::vector<driver::Address>& addresses,
                                    std::vector<driver::Address>& found) {
    if (findLstnError_) return Failed(*findLstnError_);
    // Nothing on the bus accepts the search's command bytes.
    if (!AnyListener()) return Failed(driver::EBUS);
    // An address with a secondary part is out of range here: nobody answers to it.
    std::copy_if(addresses.begin(), addresses.end(), std::back_inserter(found),
                 [&](driver::Address address) { return IsListening(address); });
    return {};
}

Outcome SimulatedBus::Listens(int pad, int sad, bool& found) {
    // The instruments have no secondary addresses.
    found = (sad == 0 || sad == kAllSecondaries) && IsListening(pad);
    return {};
}

Outcome SimulatedBus::Reach(const Descriptor& device) {
    return Listener(device) ? Outcome{} : Failed(driver::ENOL);
}

Outcome SimulatedBus::Command(std::string_view bytes) {
    // Nobody accepts the bytes on a bus with no device.
    if (!AnyListener()) return Failed(driver::ENOL, 0);
    for (const char byte : bytes) {
        const unsigned char c = static_cast<unsigned char>(byte) & 0x7F;
        // Go to local and the other commands change nothing the bench keeps.
        if (c == kUnlisten) addressedToListen_.fill(false);
        if (c >= kListenAddress && c < kUnlisten) addressedToListen_[c - kListenAddress] = true;
        for (int pad = 1; pad <= driver::kHighestPad; ++pad) {
            const bool cleared =
                c == kDeviceClear || (c == kSelectedDeviceClear && addressedToListen_[pad]);
            if (cleared && IsListening(pad)) slots_[pad].instrument->DeviceClear();
        }
    }
    return {driver::CMPL, {}, static_cast<long>(bytes.size())};
}

Outcome SimulatedBus::Clear(const Descriptor& device) {
    Instrument* listener = Listener(device);
    if (!listener) return Failed(driver::ENOL);
    listener->DeviceClear();
    return {};
}

Outcome SimulatedBus::Poll(const Descriptor& device, std::uint8_t& status) {
    Instrument* listener = Listener(device);
    if (!listener) return Failed(driver::ENOL);
    status = listener->SerialPoll();
    return {};
}

Outcome SimulatedBus::Write(const Descriptor& device, std::string_view bytes) {
    Slot& slot = slots_[device.pad];
    if (const std::optional<int> planned = slot.planned.NextWrite()) return Failed(*planned, 0);
    if (const std::optional<int> refusal = slot.refusal) return Failed(*refusal, 0);
    Instrument* listener = Listener(device);
    if (!listener) return Failed(driver::ENOL, 0);
    // EOI on the last byte, when the descriptor asks for it, ends the message.
    listener->Listen(bytes, device.eot != 0, clock_->Now());
    Delivered(device.pad);
    return {driver::CMPL, {}, static_cast<long>(bytes.size())};
}

Outcome SimulatedBus::Read(const Descriptor& device, void* buf, long count, std::string& data) {
    // A device that is not there never talks, just like one with nothing to say.
    Instrument* talker = Listener(device);
    if (talker) {
        if (const std::optional<Outcome> faulty = LastingFault(device, buf, count, data))
            return *faulty;
    }
    const std::optional<double> readyAt = talker ? talker->AnswerReadyAt() : std::nullopt;
    if (!readyAt) {
        if (talker) talker->TalkedWithNothingToSay();
        return TimedOut(device);
    }
    const double wait = std::max(0.0, *readyAt - clock_->Now());
    const std::optional<double> limit = driver::TimeoutSeconds(device.tmo);
    if (limit && wait >= *limit) return TimedOut(device);
    clock_->Sleep(wait);
    bool eoi = false;
    PlannedFaults& planned = slots_[device.pad].planned;
    if (const std::optional<AnswerFault> spoil = planned.Spoil()) {
        data = PlannedFaults::Spoiled(*spoil, talker->Talk(std::string::npos, eoi));
        data.resize(std::min(data.size(), static_cast<std::size_t>(count)));
        eoi = true;
        planned.AnswerSpoiled();
    } else {
        data = talker->Talk(static_cast<std::size_t>(count), eoi);
    }
    // Bytes not transferred leave the caller's buffer as it was.
    if (!data.empty()) std::memcpy(buf, data.data(), data.size());
    return {driver::CMPL | (eoi ? driver::END : 0), {}, static_cast<long>(data.size())};
}

std::optional<Outcome> SimulatedBus::LastingFault(const Descriptor& device, void* buf, long count,
                                                  std::string& data) {
    switch (slots_[device.pad].planned.Spoil().value_or(AnswerFault::Empty)) {
        case AnswerFault::TimeOut:
            return TimedOut(device);
        case AnswerFault::ErrorWithoutEnd:
            return Failed(driver::EBUS, 0);
        case AnswerFault::NeverEnds:
            // Digits, so that an answer cut anywhere still looks like one.
            data.assign(static_cast<std::size_t>(count), '7');
            if (count > 0) std::memcpy(buf, data.data(), data.size());
            return Outcome{driver::CMPL, {}, count};
        default:
            return std::nullopt;
    }
}

Outcome SimulatedBus::TimedOut(const Descriptor& device) {
    // TNONE would wait for ever for an answer that cannot come: the bench gives up at once.
    if (const std::optional<double> limit = driver::TimeoutSeconds(device.tmo)) {
        clock_->Sleep(*limit);
    }
    return Failed(driver::EABO, 0, driver::TIMO);
}

}  // namespace bench
