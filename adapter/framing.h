// How data and commands travel as lines between a host and a Prologix or AR488 adapter: CR, LF,
// ESC and "+" in data are each preceded by ESC; an unescaped CR or LF ends a line; a line that
// starts with an unescaped "++" is a command for the adapter itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace adapter {

constexpr char kEscape = 27;

// The body of the line that carries these data bytes (without its line end).
std::string Escape(std::string_view data);

// One line from the host, as the adapter takes it apart.
struct HostLine {
    bool command = false;  // started with an unescaped "++"
    std::string text;      // a command without its "++"; data bytes unescaped
    std::string raw;       // the line as it came, without its end
    bool operator==(const HostLine&) const = default;
};

// The adapter's side: bytes in, lines out, whatever way the bytes were cut.
class HostLines {
public:
    // The line that this byte ends, if it ends one; empty lines are none.
    std::optional<HostLine> Push(char byte);

private:
    std::string raw_;
    std::string unescaped_;
    bool escaped_ = false;
};

}  // namespace adapter
