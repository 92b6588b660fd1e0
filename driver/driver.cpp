// A driver library's calls over any bus: descriptors, board calls and the status of each call.
#include "driver/driver.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace driver {

namespace {
std::string AddressList(const std::vector<int>& pads) {
    std::string text;
    for (int pad : pads) text += (text.empty() ? "" : ",") + N(pad);
    return text;
}
}  // namespace

Driver::Driver(std::string name, std::shared_ptr<Clock> clock, std::unique_ptr<Bus> bus)
    : name_(std::move(name)),
      clock_(std::move(clock)),
      start_(clock_->Now()),
      bus_(std::move(bus)) {
    bus_->NoteWith([this](std::string_view text) { Note(text); });
}

Driver::~Driver() = default;

void Driver::SetTraceFile(const std::string& path) {
    if (!trace_.SetFile(path)) {
        std::fprintf(stderr, "%s: cannot append the trace to %s: %s\n", name_.c_str(), path.c_str(),
                     std::strerror(errno));
    }
}

void Driver::Note(std::string_view text) {
    trace_.Note(Elapsed(), text);
}

Descriptor* Driver::Find(int ud) {
    if (ud == kBoard) return &board_;
    const auto found = devices_.find(ud);
    return found == devices_.end() ? nullptr : &found->second;
}

Descriptor* Driver::FindDevice(int ud, Outcome& error) {
    Descriptor* device = ud == kBoard ? nullptr : Find(ud);
    if (!device) error = Failed(ud == kBoard ? EARG : EDVR);
    return device;
}

std::string Driver::PadText(int ud) {
    const Descriptor* descriptor = Find(ud);
    return descriptor ? N(descriptor->pad) : "-";
}

Outcome Driver::BoardOnly(int ud) {
    if (ud == kBoard) return {CMPL | CIC, {}, {}};
    return Failed(Find(ud) ? EARG : EDVR);
}

Outcome Driver::AnyDescriptor(int ud) {
    const Descriptor* descriptor = Find(ud);
    return descriptor ? Done(*descriptor) : Failed(EDVR);
}

Outcome Driver::Done(const Descriptor& descriptor) {
    return {CMPL | (descriptor.board ? CIC : 0), {}, {}};
}

void Driver::SendIFC(int board) {
    Finish("SendIFC board=" + N(board), OnBoard(board, [&] { return bus_->InterfaceClear(); }));
}

int Driver::ibsre(int ud, int v) {
    return SetOption("ibsre", ud, option::SRE, v);
}

void Driver::FindLstn(int board, const std::uint16_t* pads, std::uint16_t* results, int limit) {
    std::string found;
    const Outcome outcome = SearchListeners(board, pads, results, limit, found);
    Finish("FindLstn board=" + N(board) + " limit=" + N(limit) + " found=" + found, outcome);
}

Outcome Driver::SearchListeners(int board, const std::uint16_t* pads, std::uint16_t* results,
                                int limit, std::string& found) {
    if (const Outcome notBoard = BoardOnly(board); notBoard.err) return notBoard;
    if (!pads || !results) return Failed(EARG, std::nullopt, CIC);
    bool boardAsked = false;
    std::vector<Address> asked;
    for (const std::uint16_t* pad = pads; *pad != NOADDR; ++pad) {
        if (*pad == kBoard) {
            boardAsked = true;
        } else {
            asked.push_back(*pad);
        }
    }
    std::vector<Address> instruments;
    if (Outcome searched = bus_->FindListeners(asked, instruments); searched.err) {
        searched.sta |= CIC;
        searched.count = 0;
        return searched;
    }
    std::vector<int> listeners(instruments.begin(), instruments.end());
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

int Driver::ibdev(int board, int pad, int sad, int tmo, int eot, int eos) {
    int ud = -1;
    const Outcome outcome = Open(board, pad, sad, tmo, eot, eos, ud);
    Finish("ibdev board=" + N(board) + " pad=" + N(pad) + " sad=" + N(sad) + " tmo=" + N(tmo) +
               " eot=" + N(eot) + " eos=" + N(eos) + " ud=" + N(ud),
           outcome);
    return (status_.ibsta & ERR) ? -1 : ud;
}

Outcome Driver::Open(int board, int pad, int sad, int tmo, int eot, int eos, int& ud) {
    // Presence is not checked: a descriptor is only an address and its options.
    const bool secondaryValid = IsSecondaryAddress(sad);
    if (board != kBoard || pad < 0 || pad > kHighestPad || !secondaryValid || !IsTimeoutCode(tmo)) {
        return Failed(EARG);
    }
    ud = nextDevice_++;
    devices_[ud] = Descriptor::Device(pad, sad, tmo, eot, eos);
    return {};
}

int Driver::ibpad(int ud, int pad) {
    return SetOption("ibpad", ud, option::PAD, pad);
}

int Driver::ibtmo(int ud, int code) {
    return SetOption("ibtmo", ud, option::TMO, code);
}

int Driver::ibwait(int ud, int mask) {
    // Every call has finished when it returns: there is nothing to wait for.
    return Finish("ibwait ud=" + N(ud) + " mask=" + HexWord(mask), AnyDescriptor(ud));
}

int Driver::RegisterGpibGlobalsForThread(int* sta, int* err, int* cnt, long* cntl) {
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

int Driver::UnregisterGpibGlobalsForThread() {
    registeredSta_ = nullptr;
    registeredErr_ = nullptr;
    registeredCnt_ = nullptr;
    registeredCntl_ = nullptr;
    trace_.Record(Elapsed(), "UnregisterGpibGlobalsForThread result=0", status_);
    return 0;
}

int Driver::Finish(const std::string& call, Outcome outcome) {
    // A bus that is gone fails every call, whatever the call found to do.
    if (const std::optional<int> lost = bus_->Lost()) outcome = Failed(*lost);
    status_.ibsta = outcome.sta;
    if (outcome.err) status_.iberr = *outcome.err;
    if (outcome.count) status_.ibcntl = *outcome.count;
    Publish();
    trace_.Record(Elapsed(), call, status_);
    return status_.ibsta;
}

void Driver::Publish() {
    if (registeredSta_) *registeredSta_ = status_.ibsta;
    if (registeredErr_) *registeredErr_ = status_.iberr;
    if (registeredCnt_) *registeredCnt_ = static_cast<int>(status_.ibcntl);
    if (registeredCntl_) *registeredCntl_ = status_.ibcntl;
}

}  // namespace driver
