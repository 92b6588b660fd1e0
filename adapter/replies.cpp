// What a Prologix or AR488 adapter says back, taken apart.
#include "adapter/replies.h"

#include <array>

#include "driver/status.h"

namespace adapter {

namespace {
constexpr int kFirstSecondary = 0x60;  // secondary address 0 on the bus
constexpr int kLastSecondary = 0x7E;

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view start) {
    if (text.size() < start.size()) return false;
    for (std::size_t i = 0; i < start.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(text[i]) != lower(start[i])) return false;
    }
    return true;
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
        if (StartsWithNoCase(text.substr(i), part)) return true;
    }
    return false;
}

std::optional<driver::Address> ListenerOf(std::string_view item) {
    const std::size_t colon = item.find(':');
    const std::optional<int> pad = WholeNumber(item.substr(0, colon));
    if (!pad || *pad > driver::kHighestPad) return std::nullopt;
    if (colon == std::string_view::npos) return static_cast<driver::Address>(*pad);
    std::optional<int> sad = WholeNumber(item.substr(colon + 1));
    if (sad && *sad <= driver::kHighestPad) *sad += kFirstSecondary;
    if (!sad || *sad < kFirstSecondary || *sad > kLastSecondary) return std::nullopt;
    return static_cast<driver::Address>(*pad | *sad << 8);
}
}  // namespace

std::optional<int> WholeNumber(std::string_view text) {
    text = Trimmed(text);
    if (text.empty() || text.size() > 6) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<Kind> KindOfVersion(std::string_view line) {
    line = Trimmed(WithoutReadyFlag(line));
    if (IsNotice(line)) return std::nullopt;
    if (StartsWithNoCase(line, "AR488")) return Kind::Ar488;
    if (ContainsNoCase(line, "Prologix")) return Kind::Prologix;
    return std::nullopt;
}

std::optional<std::uint8_t> StatusByteOf(std::string_view line) {
    const std::optional<int> value = WholeNumber(line);
    if (!value || *value > 255) return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

ListenerList ListenersOf(std::string_view line) {
    ListenerList list;
    line = Trimmed(line);
    while (!line.empty()) {
        const std::size_t comma = line.find(',');
        const std::string_view item = Trimmed(line.substr(0, comma));
        if (const std::optional<driver::Address> listener = ListenerOf(item)) {
            list.listeners.push_back(*listener);
        } else if (!item.empty()) {
            list.odd.emplace_back(item);
        }
        if (comma == std::string_view::npos) break;
        line.remove_prefix(comma + 1);
    }
    return list;
}

bool IsAdapterError(std::string_view line) {
    static constexpr std::array<std::string_view, 4> errors = {
        kUnrecognized, "Invalid parameter", "Missing parameter", kTransmitFailed};
    line = Trimmed(line);
    for (const std::string_view error : errors) {
        if (line == error) return true;
    }
    return false;
}

bool IsNotice(std::string_view line) {
    line = Trimmed(line);
    return line == "Send^OK" || line == "Read^OK" || line.rfind("AR488 ready", 0) == 0;
}

std::string_view WithoutReadyFlag(std::string_view line) {
    constexpr std::string_view flag = "AR488~RDY";
    while (line.substr(0, flag.size()) == flag) line.remove_prefix(flag.size());
    return line;
}

std::vector<std::string> LinesOf(std::string_view bytes) {
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        bytes.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace adapter
