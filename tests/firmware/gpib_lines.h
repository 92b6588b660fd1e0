// The GPIB lines as the set of those asserted: DIO1-DIO8 in the low byte (the byte on the bus, as
// sent), the handshake and management lines above it.
#pragma once

#include <cstdint>

namespace firmware {

using Lines = std::uint16_t;

constexpr Lines kDio = 0x00ff;
constexpr Lines kAtn = 0x0100;
constexpr Lines kEoi = 0x0200;
constexpr Lines kDav = 0x0400;
constexpr Lines kNrfd = 0x0800;
constexpr Lines kNdac = 0x1000;
constexpr Lines kIfc = 0x2000;
constexpr Lines kSrq = 0x4000;
constexpr Lines kRen = 0x8000;

inline std::uint8_t DataByte(Lines lines) {
    return static_cast<std::uint8_t>(lines & kDio);
}

}  // namespace firmware
