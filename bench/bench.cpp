// The simulated bus: instruments, descriptors, faults, board calls and the status of each call.
#include "bench/bench.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "bench/state_file.h"

namespace bench {

namespace {
std::string AddressList(const std::vector<int>& pads) {
    std::string text;
    for (int pad : pads) text += (text.empty() ? "" : ",") + N(pad);
    return text;
}
}  // namespace

Bench::Bench(std::shared_ptr<Clock> clock) : clock_(std::move(clock)), start_(clock_->Now()) {}

Bench::~Bench() = default;

Bench::Slot& Bench::InstrumentSlot(int pad) {
    if (pad < 1 || pad > kHighestPad) throw std::out_of_range("bench: no address " + N(pad));
    return slots_[pad];
}

void Bench::Attach(int pad, std::unique_ptr<Instrument> instrument) {
    InstrumentSlot(pad).instrument = std::move(instrument);
}

Instrument* Bench::At(int pad) const {
    if (pad < 1 || pad > kHighestPad) return nullptr;
    return slots_[pad].instrument.get();
}

void Bench::UnplugAfter(int pad, int messages) {
    InstrumentSlot(pad).messagesLeft = std::max(0, messages);
}

void Bench::RefuseWrites(int pad, int iberr) {
    InstrumentSlot(pad).refusal = iberr;
}

void Bench::RefuseWrite(int pad, int nth, int iberr) {
    PlannedFaults& planned = InstrumentSlot(pad).planned;
    planned.RefuseWrite(planned.Writes() + nth, iberr);
}

void Bench::SpoilAnswer(int pad, int nth, AnswerFault fault) {
    PlannedFaults& planned = InstrumentSlot(pad).planned;
    planned.SpoilAnswer(planned.Writes() + nth, fault);
}

void Bench::SetStateFile(const std::string& path) {
    stateFile_ = std::make_unique<StateFile>(path);
    for (int pad = 1; pad <= kHighestPad; ++pad) {
        Instrument* instrument = At(pad);
        if (!instrument) continue;
        const std::optional<std::string> saved = stateFile_->SettingsFor(pad, instrument->Kind());
        if (saved && !instrument->RestoreSettings(*saved)) {
            std::fprintf(stderr, "gpib bench: ignoring saved settings of the %s at %d: %s\n",
                         instrument->Kind().c_str(), pad, saved->c_str());
        }
    }
}

void Bench::Delivered(int pad) {
    Slot& slot = slots_[pad];
    if (slot.messagesLeft) --*slot.messagesLeft;
    const std::string settings = slot.instrument->Settings();
    if (stateFile_ && !settings.empty()) stateFile_->Keep(pad, slot.instrument->Kind(), settings);
}

bool Bench::IsListening(int pad) const {
    if (pad < 1 || pad > kHighestPad) return false;
    const Slot& slot = slots_[pad];
    return slot.instrument && (!slot.messagesLeft || *slot.messagesLeft > 0);
}

bool Bench::AnyListener() const {
    for (int pad = 1; pad <= kHighestPad; ++pad) {
        if (IsListening(pad)) return true;
    }
    return false;
}

Instrument* Bench::Listener(const Descriptor& device) {
    // The instruments have no secondary addresses: nothing answers to one.
    if (device.sad != 0 || !IsListening(device.pad)) return nullptr;
    return slots_[device.pad].instrument.get();
}

Descriptor* Bench::Find(int ud) {
    if (ud == kBoard) return &board_;
    const auto found = devices_.find(ud);
    return found == devices_.end() ? nullptr : &found->second;
}

Descriptor* Bench::FindDevice(int ud, Outcome& error) {
    Descriptor* device = ud == kBoard ? nullptr : Find(ud);
    if (!device) error = Failed(ud == kBoard ? EARG : EDVR);
    return device;
}

std::string Bench::PadText(int ud) {
    const Descriptor* descriptor = Find(ud);
    return descriptor ? N(descriptor->pad) : "-";
}

Bench::Outcome Bench::BoardOnly(int ud) {
    if (ud == kBoard) return {CMPL | CIC, {}, {}};
    return Failed(Find(ud) ? EARG : EDVR);
}

Bench::Outcome Bench::AnyDescriptor(int ud) {
    const Descriptor* descriptor = Find(ud);
    return descriptor ? Done(*descriptor) : Failed(EDVR);
}

Bench::Outcome Bench::Done(const Descriptor& descriptor) {
    return {CMPL | (descriptor.board ? CIC : 0), {}, {}};
}

void Bench::SendIFC(int board) {
    Finish("SendIFC board=" + N(board), BoardOnly(board));
}

int Bench::ibsre(int ud, int v) {
    return SetOption("ibsre", ud, option::SRE, v);
}

void Bench::FindLstn(int board, const std::uint16_t* pads, std::uint16_t* results, int limit) {
    std::string found;
    const Outcome outcome = SearchListeners(board, pads, results, limit, found);
    Finish("FindLstn board=" + N(board) + " limit=" + N(limit) + " found=" + found, outcome);
}

Bench::Outcome Bench::SearchListeners(int board, const std::uint16_t* pads, std::uint16_t* results,
                                      int limit, std::string& found) {
    if (const Outcome notBoard = BoardOnly(board); notBoard.err) return notBoard;
    if (!pads || !results) return Failed(EARG, std::nullopt, CIC);
    if (findLstnError_) return Failed(*findLstnError_, 0, CIC);
    // Nothing on the bus accepts the search's command bytes.
    if (!AnyListener()) return Failed(EBUS, 0, CIC);
    bool boardAsked = false;
    std::vector<int> listeners;
    for (const std::uint16_t* pad = pads; *pad != NOADDR; ++pad) {
        if (*pad == kBoard) boardAsked = true;
        if (*pad != kBoard && IsListening(*pad)) listeners.push_back(*pad);
    }
    // The board listens too and is reported first, in slot 0, where the program expects it.
    if (boardAsked) listeners.insert(listeners.begin(), kBoard);
    const std::size_t room = static_cast<std::size_t>(std::max(limit, 0));
    const bool tooMany = listeners.size() > room;
    if (tooMany) listeners.resize(room);
    std::copy(listeners.begin(), listeners.end(), results);
    found = AddressList(listeners);
    const long count = static_cast<long>(listeners.size());
    if (tooMany) return Failed(ETAB, count, CIC);
    return {CMPL | CIC, {}, count};
}

int Bench::ibdev(int board, int pad, int sad, int tmo, int eot, int eos) {
    int ud = -1;
    const Outcome outcome = Open(board, pad, sad, tmo, eot, eos, ud);
    Finish("ibdev board=" + N(board) + " pad=" + N(pad) + " sad=" + N(sad) + " tmo=" + N(tmo) +
               " eot=" + N(eot) + " eos=" + N(eos) + " ud=" + N(ud),
           outcome);
    return ud;
}

Bench::Outcome Bench::Open(int board, int pad, int sad, int tmo, int eot, int eos, int& ud) {
    // Presence is not checked: a descriptor is only an address and its options.
    const bool secondaryValid = IsSecondaryAddress(sad);
    if (board != kBoard || pad < 0 || pad > kHighestPad || !secondaryValid || !IsTimeoutCode(tmo)) {
        return Failed(EARG);
    }
    ud = nextDevice_++;
    devices_[ud] = Descriptor::Device(pad, sad, tmo, eot, eos);
    return {};
}

int Bench::ibpad(int ud, int pad) {
    return SetOption("ibpad", ud, option::PAD, pad);
}

int Bench::ibtmo(int ud, int code) {
    return SetOption("ibtmo", ud, option::TMO, code);
}

int Bench::ibwait(int ud, int mask) {
    // Every call of the bench has finished when it returns: there is nothing to wait for.
    return Finish("ibwait ud=" + N(ud) + " mask=" + HexWord(mask), AnyDescriptor(ud));
}

int Bench::RegisterGpibGlobalsForThread(int* sta, int* err, int* cnt, long* cntl) {
    const int result = registerResult_;
    if (result == 0 || result == 1) {
        registeredSta_ = sta;
        registeredErr_ = err;
        registeredCnt_ = cnt;
        registeredCntl_ = cntl;
    }
    trace_.Record(Elapsed(), "RegisterGpibGlobalsForThread result=" + N(result), status_);
    return result;
}

int Bench::UnregisterGpibGlobalsForThread() {
    registeredSta_ = nullptr;
    registeredErr_ = nullptr;
    registeredCnt_ = nullptr;
    registeredCntl_ = nullptr;
    trace_.Record(Elapsed(), "UnregisterGpibGlobalsForThread result=0", status_);
    return 0;
}

int Bench::Finish(const std::string& call, const Outcome& outcome) {
    status_.ibsta = outcome.sta;
    if (outcome.err) status_.iberr = *outcome.err;
    if (outcome.count) status_.ibcntl = *outcome.count;
    Publish();
    trace_.Record(Elapsed(), call, status_);
    return status_.ibsta;
}

void Bench::Publish() {
    if (registeredSta_) *registeredSta_ = status_.ibsta;
    if (registeredErr_) *registeredErr_ = status_.iberr;
    if (registeredCnt_) *registeredCnt_ = static_cast<int>(status_.ibcntl);
    if (registeredCntl_) *registeredCntl_ = status_.ibcntl;
}

}  // namespace bench
