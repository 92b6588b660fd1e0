// The driver's device calls that reach an instrument: clear, serial poll, write and read.
#include "driver/driver.h"

namespace driver {

int Driver::ibclr(int ud) {
    return Finish("ibclr ud=" + N(ud) + " pad=" + PadText(ud), Clear(ud));
}

Outcome Driver::Clear(int ud) {
    return OnDevice(ud, [&](const Descriptor& device) { return bus_->Clear(device); });
}

int Driver::ibrsp(int ud, char* spr) {
    const Outcome outcome = Poll(ud, spr);
    const std::string shown = outcome.err ? "" : " spr=" + N(static_cast<unsigned char>(spr[0]));
    return Finish("ibrsp ud=" + N(ud) + " pad=" + PadText(ud) + shown, outcome);
}

Outcome Driver::Poll(int ud, char* spr) {
    return OnDevice(ud, [&](const Descriptor& device) {
        if (!spr) return Failed(EARG);
        std::uint8_t status = 0;
        const Outcome outcome = bus_->Poll(device, status);
        if (!outcome.err) spr[0] = static_cast<char>(status);
        return outcome;
    });
}

int Driver::ibwrt(int ud, const void* buf, long count) {
    const std::string_view bytes = buf && count > 0
                                       ? std::string_view(static_cast<const char*>(buf), count)
                                       : std::string_view();
    const Outcome outcome = Write(ud, bytes, count);
    return Finish(
        "ibwrt ud=" + N(ud) + " pad=" + PadText(ud) + " data=\"" + EscapeBytes(bytes) + "\"",
        outcome);
}

Outcome Driver::Write(int ud, std::string_view bytes, long count) {
    return OnDevice(ud, [&](const Descriptor& device) {
        if (count < 0 || static_cast<long>(bytes.size()) != count) return Failed(EARG, 0);
        return bus_->Write(device, bytes);
    });
}

int Driver::ibrd(int ud, void* buf, long count) {
    std::string data;
    const Outcome outcome = Read(ud, buf, count, data);
    return Finish(
        "ibrd ud=" + N(ud) + " pad=" + PadText(ud) + " data=\"" + EscapeBytes(data) + "\"",
        outcome);
}

Outcome Driver::Read(int ud, void* buf, long count, std::string& data) {
    return OnDevice(ud, [&](const Descriptor& device) {
        if (count < 0 || (count > 0 && !buf)) return Failed(EARG, 0);
        return bus_->Read(device, buf, count, data);
    });
}

}  // namespace driver
