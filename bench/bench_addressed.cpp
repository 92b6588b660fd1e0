// The bench's calls that address devices on the bus: the listener test, command bytes, go to
// local, trigger, polls, and the 488.2 routines that name devices by address.
#include "bench/bench.h"

namespace bench {

namespace {
// The descriptor of a 488.2 routine's one exchange: never one the caller can hold.
constexpr int kScratch = -2;

constexpr int kAllSecondaries = -1;  // ibln's ALL_SAD
constexpr int kNlEnd = 1;            // Send: a new-line with EOI after the data
constexpr int kNullEnd = 0;          // Send: no EOI at all

// Command bytes (sent with ATN) the instruments act on.
constexpr unsigned char kSelectedDeviceClear = 0x04;
constexpr unsigned char kDeviceClear = 0x14;
constexpr unsigned char kListenAddress = 0x20;
constexpr unsigned char kUnlisten = 0x3F;

std::string AddressText(std::uint16_t address) {
    const int sad = address >> 8;
    return N(address & 0xff) + (sad ? "+" + N(sad) : "");
}

std::string ListText(const std::uint16_t* addresses) {
    std::string text;
    for (const std::uint16_t* a = addresses; a && *a != NOADDR; ++a) {
        text += (text.empty() ? "" : ",") + AddressText(*a);
    }
    return text;
}
}  // namespace

Bench::Outcome Bench::Reach(int ud) {
    Outcome error;
    const Descriptor* device = FindDevice(ud, error);
    if (!device) return error;
    return Listener(*device) ? Done(*device) : Failed(ENOL);
}

int Bench::ibln(int ud, int pad, int sad, short* found) {
    const Outcome outcome = FindListener(ud, pad, sad, found);
    const std::string shown = outcome.err ? "" : " found=" + N(*found);
    return Finish("ibln ud=" + N(ud) + " pad=" + N(pad) + " sad=" + N(sad) + shown, outcome);
}

Bench::Outcome Bench::FindListener(int ud, int pad, int sad, short* found) {
    const Descriptor* descriptor = Find(ud);
    if (!descriptor) return Failed(EDVR);
    const bool sadValid = sad == kAllSecondaries || IsSecondaryAddress(sad);
    if (pad < 0 || pad > kHighestPad || !sadValid || !found) return Failed(EARG);
    // The board listens to itself; the instruments have no secondary addresses.
    const bool primaryOnly = sad == 0 || sad == kAllSecondaries;
    *found = pad == board_.pad || (primaryOnly && IsListening(pad));
    return Done(*descriptor);
}

int Bench::ibcmd(int ud, const void* cmd, long count) {
    const std::string_view bytes = cmd && count > 0
                                       ? std::string_view(static_cast<const char*>(cmd), count)
                                       : std::string_view();
    Outcome outcome = count < 0 || static_cast<long>(bytes.size()) != count ? Failed(EARG, 0)
                                                                            : Command(ud, bytes);
    return Finish("ibcmd ud=" + N(ud) + " data=\"" + EscapeBytes(bytes) + "\"", outcome);
}

Bench::Outcome Bench::Command(int ud, std::string_view bytes) {
    if (const Outcome notBoard = BoardOnly(ud); notBoard.err) return notBoard;
    // Nobody accepts the bytes on a bus with no device.
    if (!AnyListener()) return Failed(ENOL, 0, CIC);
    for (const char byte : bytes) {
        const unsigned char c = static_cast<unsigned char>(byte) & 0x7F;
        // Go to local and the other commands change nothing the bench keeps.
        if (c == kUnlisten) addressedToListen_.fill(false);
        if (c >= kListenAddress && c < kUnlisten) addressedToListen_[c - kListenAddress] = true;
        for (int pad = 1; pad <= kHighestPad; ++pad) {
            const bool cleared =
                c == kDeviceClear || (c == kSelectedDeviceClear && addressedToListen_[pad]);
            if (cleared && IsListening(pad)) slots_[pad].instrument->DeviceClear();
        }
    }
    return {CMPL | CIC, {}, static_cast<long>(bytes.size())};
}

int Bench::ibloc(int ud) {
    return Finish("ibloc ud=" + N(ud), ud == kBoard ? Done(board_) : Reach(ud));
}

int Bench::ibtrg(int ud) {
    // The instruments on the bench do nothing on a trigger; it still needs a listener.
    return Finish("ibtrg ud=" + N(ud) + " pad=" + PadText(ud), Reach(ud));
}

int Bench::ibrpp(int ud, char* ppr) {
    Outcome outcome = BoardOnly(ud);
    if (!outcome.err && !ppr) outcome = Failed(EARG);
    // No instrument on the bench answers a parallel poll.
    if (!outcome.err) *ppr = 0;
    return Finish("ibrpp ud=" + N(ud), outcome);
}

int Bench::ibspb(int ud, short* count) {
    Outcome outcome;
    if (!FindDevice(ud, outcome)) return Finish("ibspb ud=" + N(ud), outcome);
    if (!count) return Finish("ibspb ud=" + N(ud), Failed(EARG));
    // Serial polls are answered at once; none wait in a queue.
    *count = 0;
    return Finish("ibspb ud=" + N(ud) + " v=0", outcome);
}

template <class Call>
Bench::Outcome Bench::AtAddress(int board, std::uint16_t address, int eot, Call call) {
    if (const Outcome notBoard = BoardOnly(board); notBoard.err) return notBoard;
    const int pad = address & 0xff;
    const int sad = address >> 8;
    if (pad < 1 || pad > kHighestPad || !IsSecondaryAddress(sad)) return Failed(EARG, {}, CIC);
    devices_[kScratch] = Descriptor::Device(pad, sad, board_.tmo, eot, 0);
    Outcome outcome = call(kScratch);
    devices_.erase(kScratch);
    outcome.sta |= CIC;
    return outcome;
}

template <class Call>
Bench::Outcome Bench::AtEachAddress(int board, const std::uint16_t* addresses, Call call) {
    if (const Outcome notBoard = BoardOnly(board); notBoard.err) return notBoard;
    if (!addresses) return Failed(EARG, {}, CIC);
    for (const std::uint16_t* address = addresses; *address != NOADDR; ++address) {
        const Outcome outcome = AtAddress(board, *address, 1, call);
        if (outcome.err) return outcome;
    }
    return {CMPL | CIC, {}, {}};
}

void Bench::Send(int board, std::uint16_t address, const void* buf, long count, int eotMode) {
    std::string bytes = buf && count > 0 ? std::string(static_cast<const char*>(buf), count) : "";
    if (eotMode == kNlEnd) bytes += '\n';
    const Outcome outcome = count < 0 || (count > 0 && !buf)
                                ? Failed(EARG, 0, CIC)
                                : AtAddress(board, address, eotMode != kNullEnd, [&](int ud) {
                                      return Write(ud, bytes, static_cast<long>(bytes.size()));
                                  });
    Finish("Send board=" + N(board) + " addr=" + AddressText(address) + " data=\"" +
               EscapeBytes(bytes) + "\"",
           outcome);
}

void Bench::Receive(int board, std::uint16_t address, void* buf, long count, int termination) {
    std::string data;
    const Outcome outcome =
        AtAddress(board, address, 1, [&](int ud) { return Read(ud, buf, count, data); });
    Finish("Receive board=" + N(board) + " addr=" + AddressText(address) +
               " end=" + HexWord(termination) + " data=\"" + EscapeBytes(data) + "\"",
           outcome);
}

void Bench::DevClear(int board, std::uint16_t address) {
    const Outcome outcome = AtAddress(board, address, 1, [&](int ud) { return Clear(ud); });
    Finish("DevClear board=" + N(board) + " addr=" + AddressText(address), outcome);
}

void Bench::DevClearList(int board, const std::uint16_t* addresses) {
    Outcome outcome;
    if (addresses && *addresses == NOADDR && !BoardOnly(board).err) {
        // An empty list is a device clear of everyone on the bus.
        outcome = Command(board, std::string_view("\x14", 1));
        outcome.count.reset();
    } else {
        outcome = AtEachAddress(board, addresses, [&](int ud) { return Clear(ud); });
    }
    Finish("DevClearList board=" + N(board) + " addrs=" + ListText(addresses), outcome);
}

void Bench::ReadStatusByte(int board, std::uint16_t address, short* result) {
    char spr[2] = {0, 0};
    const Outcome outcome =
        result ? AtAddress(board, address, 1, [&](int ud) { return Poll(ud, spr); })
               : Failed(EARG, {}, CIC);
    if (!outcome.err) *result = static_cast<unsigned char>(spr[0]);
    const std::string shown = outcome.err ? "" : " spr=" + N(*result);
    Finish("ReadStatusByte board=" + N(board) + " addr=" + AddressText(address) + shown, outcome);
}

void Bench::AllSpoll(int board, const std::uint16_t* addresses, short* results) {
    long polled = 0;
    Outcome outcome = results ? AtEachAddress(board, addresses,
                                              [&](int ud) {
                                                  char spr[2] = {0, 0};
                                                  const Outcome one = Poll(ud, spr);
                                                  if (!one.err) {
                                                      results[polled++] =
                                                          static_cast<unsigned char>(spr[0]);
                                                  }
                                                  return one;
                                              })
                              : Failed(EARG, {}, CIC);
    // The count tells how many status bytes were read, also when a poll failed.
    outcome.count = polled;
    Finish("AllSpoll board=" + N(board) + " addrs=" + ListText(addresses), outcome);
}

void Bench::Trigger(int board, std::uint16_t address) {
    const Outcome outcome = AtAddress(board, address, 1, [&](int ud) { return Reach(ud); });
    Finish("Trigger board=" + N(board) + " addr=" + AddressText(address), outcome);
}

void Bench::TriggerList(int board, const std::uint16_t* addresses) {
    const Outcome outcome = AtEachAddress(board, addresses, [&](int ud) { return Reach(ud); });
    Finish("TriggerList board=" + N(board) + " addrs=" + ListText(addresses), outcome);
}

Bench::Outcome Bench::SetRemoteEnable(int board, int value) {
    return Configure(board, option::SRE, value);
}

void Bench::EnableRemote(int board, const std::uint16_t* addresses) {
    Outcome outcome = SetRemoteEnable(board, 1);
    if (!outcome.err) outcome = AtEachAddress(board, addresses, [&](int ud) { return Reach(ud); });
    Finish("EnableRemote board=" + N(board) + " addrs=" + ListText(addresses), outcome);
}

void Bench::EnableLocal(int board, const std::uint16_t* addresses) {
    Outcome outcome;
    // An empty list releases remote enable; otherwise the listed devices go to local.
    if (addresses && *addresses == NOADDR) {
        outcome = SetRemoteEnable(board, 0);
    } else {
        outcome = AtEachAddress(board, addresses, [&](int ud) { return Reach(ud); });
    }
    Finish("EnableLocal board=" + N(board) + " addrs=" + ListText(addresses), outcome);
}

}  // namespace bench
