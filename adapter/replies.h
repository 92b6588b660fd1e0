// What a Prologix or AR488 adapter says back: its version line, a serial poll's status byte, an
// AR488's list of listeners. Lines arrive without their CR LF.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "driver/bus.h"

namespace adapter {

enum class Kind { Prologix, Ar488 };

// A whole number of up to six digits, blanks around allowed, as the adapters write them.
std::optional<int> WholeNumber(std::string_view text);

// "Prologix GPIB-USB Controller version 6.107" or "AR488 GPIB controller, ver. 0.53.04, ...";
// nothing for any other text.
std::optional<Kind> KindOfVersion(std::string_view line);

// "0" to "255", blanks around allowed.
std::optional<std::uint8_t> StatusByteOf(std::string_view line);

// "3,5:1,11": primary addresses, a secondary one after ":" (0-30, on the bus 96 and up); an
// empty line is no listener at all.
std::optional<std::vector<driver::Address>> ListenersOf(std::string_view line);

}  // namespace adapter
