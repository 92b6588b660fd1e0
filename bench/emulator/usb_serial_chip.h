// The way from an adapter to its host through a USB serial chip: an FTDI chip (a Prologix
// GPIB-USB, many AR488 boards) holds what the adapter writes until its latency timer runs out
// (16 ms by default) or a USB packet's 62 bytes are full; without a latency timer, bytes go at
// once.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace bench {

class UsbSerialChip {
public:
    explicit UsbSerialChip(double latency = 0) : latency_(latency) {}

    // Bytes the adapter writes at `at` (never earlier than the last ones).
    void Put(std::string_view bytes, double at);
    // What has reached the host by `now`.
    std::string Take(double now);
    // When the next bytes reach the host; nothing while none wait.
    std::optional<double> NextRelease() const;

private:
    static constexpr std::size_t kPacket = 62;  // payload of a 64-byte packet, 2 status bytes off

    struct Packet {
        double at;
        std::string bytes;
    };
    // Sends what the chip holds once its timer has run out by `now`.
    void Expire(double now);

    double latency_;
    std::deque<Packet> sent_;
    std::string held_;
    double heldSince_ = 0;
};

}  // namespace bench
