// How data and commands travel as lines between a host and a Prologix or AR488 adapter.
#include "adapter/framing.h"

namespace adapter {

namespace {
bool NeedsEscape(char c) {
    return c == '\r' || c == '\n' || c == kEscape || c == '+';
}
}  // namespace

std::string Escape(std::string_view data) {
    std::string line;
    line.reserve(data.size());
    for (const char c : data) {
        if (NeedsEscape(c)) line += kEscape;
        line += c;
    }
    return line;
}

std::optional<HostLine> HostLines::Push(char byte) {
    if (escaped_) {
        escaped_ = false;
        raw_ += byte;
        unescaped_ += byte;
        return std::nullopt;
    }
    if (byte == kEscape) {
        escaped_ = true;
        raw_ += byte;
        return std::nullopt;
    }
    if (byte != '\r' && byte != '\n') {
        raw_ += byte;
        unescaped_ += byte;
        return std::nullopt;
    }
    HostLine line;
    line.raw = std::move(raw_);
    // An escaped "+" shows as ESC "+" in the raw line: only two plain ones start a command.
    line.command = line.raw.rfind("++", 0) == 0;
    line.text = line.command ? line.raw.substr(2) : std::move(unescaped_);
    raw_.clear();
    unescaped_.clear();
    if (line.raw.empty()) return std::nullopt;
    return line;
}

}  // namespace adapter
