// What a Prologix or AR488 adapter says back: its version line, a serial poll's status byte, an
// AR488's list of listeners, and the lines it prints of its own accord (errors, handshake flags,
// a greeting). Lines arrive without their CR LF.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
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

// An AR488's "++fndl" answer: "3,5:96,5:97,11". A secondary listener's part after ":" is the bus
// byte of its secondary address (96 to 126), as the firmware prints it; 0 to 30, as the manual's
// example has it, is taken as secondary address 0 to 30 too. Items that are neither are kept
// apart, never the reason to refuse the rest.
struct ListenerList {
    std::vector<driver::Address> listeners;
    std::vector<std::string> odd;
};
ListenerList ListenersOf(std::string_view line);

// An AR488's error lines, in answer to a line that otherwise prints nothing: "Unrecognized
// command", "Invalid parameter", "Missing parameter", "Transmit failed!".
bool IsAdapterError(std::string_view line);
constexpr std::string_view kUnrecognized = "Unrecognized command";
constexpr std::string_view kTransmitFailed = "Transmit failed!";

// What an AR488 prints unasked: "Send^OK" and "Read^OK" (its handshake flags), its greeting
// "AR488 ready (...)".
bool IsNotice(std::string_view line);

// The line without the "AR488~RDY" an AR488 prints, with no line end, when it starts with that
// flag kept in its memory.
std::string_view WithoutReadyFlag(std::string_view line);

// The lines of a stretch of bytes, each without its CR LF; a last one without a line end too.
std::vector<std::string> LinesOf(std::string_view bytes);

}  // namespace adapter
