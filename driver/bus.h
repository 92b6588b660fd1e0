// What a driver library of ours needs of the bus behind it: the transfers, polls and bus-level
// acts that the calls come down to, once the descriptors and arguments have been checked.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/descriptor.h"
#include "driver/status.h"

namespace driver {

// What a call did to the status; iberr and the count stay as they were unless given.
struct Outcome {
    int sta = CMPL;
    std::optional<int> err;
    std::optional<long> count;
};

inline Outcome Failed(int iberr, std::optional<long> count = std::nullopt, int moreBits = 0) {
    return {ERR | CMPL | moreBits, iberr, count};
}

// An address as the 488.2 routines take it: primary in the low byte, secondary in the high byte.
using Address = std::uint16_t;

class Bus {
public:
    virtual ~Bus() = default;

    // The bus can no longer be used at all (the adapter was unplugged): every call fails at
    // once with ERR and this error code.
    virtual std::optional<int> Lost() const { return std::nullopt; }

    // Interface clear: the board becomes controller-in-charge.
    virtual Outcome InterfaceClear() = 0;
    virtual Outcome RemoteEnable(bool on) = 0;
    // The instrument addresses among `addresses` (never the board's) that listen, in their
    // order. Nothing listening at all is the bus's error (EBUS: nobody accepts the search).
    virtual Outcome FindListeners(const std::vector<Address>& addresses,
                                  std::vector<Address>& found) = 0;
    // Whether an instrument listens at pad (sad 0: none; -1: any secondary address).
    virtual Outcome Listens(int pad, int sad, bool& found) = 0;

    // The descriptor's transfers and acts, on the device it addresses.
    virtual Outcome Write(const Descriptor& device, std::string_view bytes) = 0;
    // Up to `count` bytes of the device's answer into `buf` (also left in `data`), END with the
    // last; the rest stays for the next read.
    virtual Outcome Read(const Descriptor& device, void* buf, long count, std::string& data) = 0;
    virtual Outcome Clear(const Descriptor& device) = 0;
    virtual Outcome Poll(const Descriptor& device, std::uint8_t& status) = 0;
    virtual Outcome Trigger(const Descriptor& device) = 0;
    virtual Outcome GoToLocal(const Descriptor& device) = 0;
    // Addresses the device, as making it remote does: fails when it cannot be reached.
    virtual Outcome Reach(const Descriptor& device) = 0;

    // Command bytes, sent with ATN by the board.
    virtual Outcome Command(std::string_view bytes) = 0;
    virtual Outcome ParallelPoll(std::uint8_t& response) = 0;

    // Where the bus's own lines of the trace go (the driver's trace, once it is made).
    void NoteWith(std::function<void(std::string_view)> note) { note_ = std::move(note); }

protected:
    void Note(std::string_view text) const {
        if (note_) note_(text);
    }

private:
    std::function<void(std::string_view)> note_;
};

}  // namespace driver
