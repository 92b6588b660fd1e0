// Numbers as the instruments read and write them, free of the process locale.
#include "bench/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace bench {

namespace {
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Skips digits from `at`; returns how many there were.
std::size_t SkipDigits(std::string_view text, std::size_t& at) {
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    return at - start;
}

bool IsNumberSyntax(std::string_view text) {
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    std::size_t digits = SkipDigits(text, at);
    if (at < text.size() && text[at] == '.') {
        ++at;
        digits += SkipDigits(text, at);
    }
    if (digits == 0) return false;
    if (at < text.size() && (text[at] == 'E' || text[at] == 'e')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
        if (SkipDigits(text, at) == 0) return false;
    }
    return at == text.size();
}
}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
    if (!IsNumberSyntax(text)) return std::nullopt;
    // from_chars takes no leading "+".
    if (text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<long> ToMilli(double value, long step) {
    constexpr double kLargest = 1e9;  // far beyond any instrument's range
    if (!std::isfinite(value) || std::fabs(value) > kLargest) return std::nullopt;
    const double steps = value * 1000.0 / static_cast<double>(step);
    // A decimal like 0.045 is a hair below its true value in binary; do not let that decide.
    const double nudge = steps < 0 ? -1e-9 : 1e-9;
    return std::lround(steps + nudge) * step;
}

std::string FormatMilli(long milli, int decimals) {
    const bool negative = milli < 0;
    const long magnitude = std::labs(milli);
    std::string text = std::to_string(magnitude / 1000);
    if (decimals > 0) {
        std::string fraction = std::to_string(1000 + magnitude % 1000).substr(1);
        text += "." + fraction.substr(0, decimals);
    }
    return negative ? "-" + text : text;
}

std::optional<long> ParseWholeNumber(std::string_view text, bool signedAllowed) {
    if (text.empty() || (text.front() == '-' && !signedAllowed) || text.front() == '+') {
        return std::nullopt;
    }
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace bench
