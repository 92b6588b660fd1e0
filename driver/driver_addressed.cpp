// The driver's calls that address devices on the bus: the listener test, command bytes, go to
// local, trigger, polls, and the 488.2 routines that name devices by address.
#include "driver/driver.h"

namespace driver {

namespace {
// The descriptor of a 488.2 routine's one exchange: never one the caller can hold.
constexpr int kScratch = -2;

constexpr int kAllSecondaries = -1;  // ibln's ALL_SAD
constexpr int kNlEnd = 1;            // Send: a new-line with EOI after the data
constexpr int kNullEnd = 0;          // Send: no EOI at all

std::string AddressText(Address address) {
    const int sad = address >> 8;
    return N(address & 0xff) + (sad ? "+" + N(sad) : "");
}

std::string ListText(const Address* addresses) {
    std::string text;
    for (const Address* a = addresses; a && *a != NOADDR; ++a) {
        text += (text.empty() ? "" : ",") + AddressText(*a);
    }
    return text;
}
}  // namespace

int Driver::ibln(int ud, int pad, int sad, short* found) {
    const Outcome outcome = FindListener(ud, pad, sad, found);
    const std::string shown = outcome.err ? "" : " found=" + N(*found);
    return Finish("ibln ud=" + N(ud) + " pad=" + N(pad) + " sad=" + N(sad) + shown, outcome);
}

Outcome Driver::FindListener(int ud, int pad, int sad, short* found) {
    const Descriptor* descriptor = Find(ud);
    if (!descriptor) return Failed(EDVR);
    const bool sadValid = sad == kAllSecondaries || IsSecondaryAddress(sad);
    if (pad < 0 || pad > kHighestPad || !sadValid || !found) return Failed(EARG);
    // The board listens to itself.
    if (pad == board_.pad) {
        *found = 1;
        return Done(*descriptor);
    }
    bool listens = false;
    Outcome outcome = bus_->Listens(pad, sad, listens);
    if (outcome.err) return outcome;
    *found = listens;
    return Done(*descriptor);
}

int Driver::ibcmd(int ud, const void* cmd, long count) {
    const std::string_view bytes = cmd && count > 0
                                       ? std::string_view(static_cast<const char*>(cmd), count)
                                       : std::string_view();
    Outcome outcome = count < 0 || static_cast<long>(bytes.size()) != count ? Failed(EARG, 0)
                                                                            : Command(ud, bytes);
    return Finish("ibcmd ud=" + N(ud) + " data=\"" + EscapeBytes(bytes) + "\"", outcome);
}

Outcome Driver::Command(int ud, std::string_view bytes) {
    return OnBoard(ud, [&] { return bus_->Command(bytes); });
}

int Driver::ibloc(int ud) {
    const Outcome outcome =
        ud == kBoard
            ? Done(board_)
            : OnDevice(ud, [&](const Descriptor& device) { return bus_->GoToLocal(device); });
    return Finish("ibloc ud=" + N(ud), outcome);
}

Outcome Driver::Triggered(int ud) {
    return OnDevice(ud, [&](const Descriptor& device) { return bus_->Trigger(device); });
}

int Driver::ibtrg(int ud) {
    return Finish("ibtrg ud=" + N(ud) + " pad=" + PadText(ud), Triggered(ud));
}

int Driver::ibrpp(int ud, char* ppr) {
    const Outcome outcome = OnBoard(ud, [&] {
        if (!ppr) return Failed(EARG);
        std::uint8_t response = 0;
        const Outcome polled = bus_->ParallelPoll(response);
        if (!polled.err) *ppr = static_cast<char>(response);
        return polled;
    });
    return Finish("ibrpp ud=" + N(ud), outcome);
}

int Driver::ibspb(int ud, short* count) {
    Outcome outcome;
    if (!FindDevice(ud, outcome)) return Finish("ibspb ud=" + N(ud), outcome);
    if (!count) return Finish("ibspb ud=" + N(ud), Failed(EARG));
    // Serial polls are answered at once; none wait in a queue.
    *count = 0;
    return Finish("ibspb ud=" + N(ud) + " v=0", outcome);
}

template <class Call>
Outcome Driver::AtAddress(int board, Address address, int eot, Call call) {
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
Outcome Driver::AtEachAddress(int board, const Address* addresses, Call call) {
    if (const Outcome notBoard = BoardOnly(board); notBoard.err) return notBoard;
    if (!addresses) return Failed(EARG, {}, CIC);
    for (const Address* address = addresses; *address != NOADDR; ++address) {
        const Outcome outcome = AtAddress(board, *address, 1, call);
        if (outcome.err) return outcome;
    }
    return {CMPL | CIC, {}, {}};
}

void Driver::Send(int board, Address address, const void* buf, long count, int eotMode) {
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

void Driver::Receive(int board, Address address, void* buf, long count, int termination) {
    std::string data;
    const Outcome outcome =
        AtAddress(board, address, 1, [&](int ud) { return Read(ud, buf, count, data); });
    Finish("Receive board=" + N(board) + " addr=" + AddressText(address) +
               " end=" + HexWord(termination) + " data=\"" + EscapeBytes(data) + "\"",
           outcome);
}

void Driver::DevClear(int board, Address address) {
    const Outcome outcome = AtAddress(board, address, 1, [&](int ud) { return Clear(ud); });
    Finish("DevClear board=" + N(board) + " addr=" + AddressText(address), outcome);
}

void Driver::DevClearList(int board, const Address* addresses) {
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

void Driver::ReadStatusByte(int board, Address address, short* result) {
    char spr[2] = {0, 0};
    const Outcome outcome =
        result ? AtAddress(board, address, 1, [&](int ud) { return Poll(ud, spr); })
               : Failed(EARG, {}, CIC);
    if (!outcome.err) *result = static_cast<unsigned char>(spr[0]);
    const std::string shown = outcome.err ? "" : " spr=" + N(*result);
    Finish("ReadStatusByte board=" + N(board) + " addr=" + AddressText(address) + shown, outcome);
}

void Driver::AllSpoll(int board, const Address* addresses, short* results) {
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

void Driver::Trigger(int board, Address address) {
    const Outcome outcome = AtAddress(board, address, 1, [&](int ud) { return Triggered(ud); });
    Finish("Trigger board=" + N(board) + " addr=" + AddressText(address), outcome);
}

void Driver::TriggerList(int board, const Address* addresses) {
    const Outcome outcome = AtEachAddress(board, addresses, [&](int ud) { return Triggered(ud); });
    Finish("TriggerList board=" + N(board) + " addrs=" + ListText(addresses), outcome);
}

Outcome Driver::SetRemoteEnable(int board, int value) {
    return Configure(board, option::SRE, value);
}

void Driver::EnableRemote(int board, const Address* addresses) {
    Outcome outcome = SetRemoteEnable(board, 1);
    if (!outcome.err) {
        outcome = AtEachAddress(board, addresses, [&](int ud) {
            return OnDevice(ud, [&](const Descriptor& device) { return bus_->Reach(device); });
        });
    }
    Finish("EnableRemote board=" + N(board) + " addrs=" + ListText(addresses), outcome);
}

void Driver::EnableLocal(int board, const Address* addresses) {
    Outcome outcome;
    // An empty list releases remote enable; otherwise the listed devices go to local.
    if (addresses && *addresses == NOADDR) {
        outcome = SetRemoteEnable(board, 0);
    } else {
        outcome = AtEachAddress(board, addresses, [&](int ud) {
            return OnDevice(ud, [&](const Descriptor& device) { return bus_->GoToLocal(device); });
        });
    }
    Finish("EnableLocal board=" + N(board) + " addrs=" + ListText(addresses), outcome);
}

}  // namespace driver
