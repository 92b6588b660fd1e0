// How data travels in a line from a host to a Prologix or AR488 adapter.
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

}  // namespace adapter
