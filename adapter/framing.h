// How data travels in a line from a host to a Prologix or AR488 adapter: CR, LF, ESC and "+" in
// data are each preceded by ESC, so that the adapter takes none of them for the line's end, an
// escape or the "++" of a command.
#pragma once

#include <string>
#include <string_view>

namespace adapter {

constexpr char kEscape = 27;

// The body of the line that carries these data bytes (without its line end).
std::string Escape(std::string_view data);

}  // namespace adapter
