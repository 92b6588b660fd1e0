// The way from an adapter to its host through a USB serial chip.
#include "bench/emulator/usb_serial_chip.h"

namespace bench {

void UsbSerialChip::Expire(double now) {
    if (held_.empty() || heldSince_ + latency_ > now) return;
    sent_.push_back({heldSince_ + latency_, std::move(held_)});
    held_.clear();
}

void UsbSerialChip::Put(std::string_view bytes, double at) {
    if (bytes.empty()) return;
    if (latency_ <= 0) {
        sent_.push_back({at, std::string(bytes)});
        return;
    }
    Expire(at);
    for (const char byte : bytes) {
        if (held_.empty()) heldSince_ = at;
        held_ += byte;
        // A full packet goes at once.
        if (held_.size() == kPacket) {
            sent_.push_back({at, std::move(held_)});
            held_.clear();
        }
    }
}

std::string UsbSerialChip::Take(double now) {
    Expire(now);
    std::string bytes;
    while (!sent_.empty() && sent_.front().at <= now) {
        bytes += sent_.front().bytes;
        sent_.pop_front();
    }
    return bytes;
}

std::optional<double> UsbSerialChip::NextRelease() const {
    if (!sent_.empty()) return sent_.front().at;
    if (!held_.empty()) return heldSince_ + latency_;
    return std::nullopt;
}

}  // namespace bench
