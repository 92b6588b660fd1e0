// What a Prologix or AR488 adapter says back, taken apart.
#include "adapter/replies.h"

#include "driver/status.h"

namespace adapter {

namespace {
constexpr int kFirstSecondary = 0x60;  // secondary address 0 on the bus

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
    const std::optional<int> sad = WholeNumber(item.substr(colon + 1));
    if (!sad || *sad > driver::kHighestPad) return std::nullopt;
    return static_cast<driver::Address>(*pad | (kFirstSecondary + *sad) << 8);
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
    line = Trimmed(line);
    if (StartsWithNoCase(line, "AR488")) return Kind::Ar488;
    if (ContainsNoCase(line, "Prologix")) return Kind::Prologix;
    return std::nullopt;
}

std::optional<std::uint8_t> StatusByteOf(std::string_view line) {
    const std::optional<int> value = WholeNumber(line);
    if (!value || *value > 255) return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

std::optional<std::vector<driver::Address>> ListenersOf(std::string_view line) {
    std::vector<driver::Address> listeners;
    line = Trimmed(line);
    while (!line.empty()) {
        const std::size_t comma = line.find(',');
        const std::optional<driver::Address> listener = ListenerOf(line.substr(0, comma));
        if (!listener) return std::nullopt;
        listeners.push_back(*listener);
        if (comma == std::string_view::npos) break;
        line.remove_prefix(comma + 1);
        if (line.empty()) return std::nullopt;  // a trailing comma
    }
    return listeners;
}

}  // namespace adapter
