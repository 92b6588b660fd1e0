// How the emulated adapters read the words of a command.
#include "bench/emulator/adapter_words.h"

#include <algorithm>

namespace bench {

std::optional<long> WholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::vector<std::string> Words(std::string_view text, std::string_view separators) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find_first_of(separators, at), text.size());
        if (end > at) words.emplace_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

bool IsIdentityQuery(std::string_view line) {
    return line.size() > 3 && Lower(line.substr(0, 5)) == "*idn?";
}

}  // namespace bench
