// The bench's device calls that reach an instrument: clear, serial poll, write and read.
#include <algorithm>
#include <cstring>

#include "bench/bench.h"

namespace bench {

int Bench::ibclr(int ud) {
    return Finish("ibclr ud=" + N(ud) + " pad=" + PadText(ud), Clear(ud));
}

Bench::Outcome Bench::Clear(int ud) {
    Outcome error;
    const Descriptor* device = FindDevice(ud, error);
    if (!device) return error;
    Instrument* listener = Listener(*device);
    if (!listener) return Failed(ENOL);
    listener->DeviceClear();
    return {};
}

int Bench::ibrsp(int ud, char* spr) {
    const Outcome outcome = Poll(ud, spr);
    const std::string shown = outcome.err ? "" : " spr=" + N(static_cast<unsigned char>(spr[0]));
    return Finish("ibrsp ud=" + N(ud) + " pad=" + PadText(ud) + shown, outcome);
}

Bench::Outcome Bench::Poll(int ud, char* spr) {
    Outcome error;
    const Descriptor* device = FindDevice(ud, error);
    if (!device) return error;
    if (!spr) return Failed(EARG);
    Instrument* listener = Listener(*device);
    if (!listener) return Failed(ENOL);
    spr[0] = static_cast<char>(listener->SerialPoll());
    return {};
}

int Bench::ibwrt(int ud, const void* buf, long count) {
    const std::string_view bytes = buf && count > 0
                                       ? std::string_view(static_cast<const char*>(buf), count)
                                       : std::string_view();
    const Outcome outcome = Write(ud, bytes, count);
    return Finish(
        "ibwrt ud=" + N(ud) + " pad=" + PadText(ud) + " data=\"" + EscapeBytes(bytes) + "\"",
        outcome);
}

Bench::Outcome Bench::Write(int ud, std::string_view bytes, long count) {
    Outcome error;
    const Descriptor* device = FindDevice(ud, error);
    if (!device) return error;
    if (count < 0 || static_cast<long>(bytes.size()) != count) return Failed(EARG, 0);
    Slot& slot = slots_[device->pad];
    if (const std::optional<int> planned = slot.planned.NextWrite()) return Failed(*planned, 0);
    if (const std::optional<int> refusal = slot.refusal) return Failed(*refusal, 0);
    Instrument* listener = Listener(*device);
    if (!listener) return Failed(ENOL, 0);
    // EOI on the last byte, when the descriptor asks for it, ends the message.
    listener->Listen(bytes, device->eot != 0, clock_->Now());
    Delivered(device->pad);
    return {CMPL, {}, count};
}

int Bench::ibrd(int ud, void* buf, long count) {
    std::string data;
    const Outcome outcome = Read(ud, buf, count, data);
    return Finish(
        "ibrd ud=" + N(ud) + " pad=" + PadText(ud) + " data=\"" + EscapeBytes(data) + "\"",
        outcome);
}

Bench::Outcome Bench::Read(int ud, void* buf, long count, std::string& data) {
    Outcome error;
    const Descriptor* device = FindDevice(ud, error);
    if (!device) return error;
    if (count < 0 || (count > 0 && !buf)) return Failed(EARG, 0);
    // A device that is not there never talks, just like one with nothing to say.
    Instrument* talker = Listener(*device);
    if (talker) {
        if (const std::optional<Outcome> faulty = LastingFault(*device, buf, count, data))
            return *faulty;
    }
    const std::optional<double> readyAt = talker ? talker->AnswerReadyAt() : std::nullopt;
    if (!readyAt) {
        if (talker) talker->TalkedWithNothingToSay();
        return TimedOut(*device);
    }
    const double wait = std::max(0.0, *readyAt - clock_->Now());
    const std::optional<double> limit = TimeoutSeconds(device->tmo);
    if (limit && wait >= *limit) return TimedOut(*device);
    clock_->Sleep(wait);
    bool eoi = false;
    PlannedFaults& planned = slots_[device->pad].planned;
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
    return {CMPL | (eoi ? END : 0), {}, static_cast<long>(data.size())};
}

std::optional<Bench::Outcome> Bench::LastingFault(const Descriptor& device, void* buf, long count,
                                                  std::string& data) {
    switch (slots_[device.pad].planned.Spoil().value_or(AnswerFault::Empty)) {
        case AnswerFault::TimeOut:
            return TimedOut(device);
        case AnswerFault::ErrorWithoutEnd:
            return Failed(EBUS, 0);
        case AnswerFault::NeverEnds:
            // Digits, so that an answer cut anywhere still looks like one.
            data.assign(static_cast<std::size_t>(count), '7');
            if (count > 0) std::memcpy(buf, data.data(), data.size());
            return Outcome{CMPL, {}, count};
        default:
            return std::nullopt;
    }
}

Bench::Outcome Bench::TimedOut(const Descriptor& device) {
    // TNONE would wait for ever for an answer that cannot come: the bench gives up at once.
    if (const std::optional<double> limit = TimeoutSeconds(device.tmo)) clock_->Sleep(*limit);
    return Failed(EABO, 0, TIMO);
}

}  // namespace bench
