// The runner's command line.
#include "runner_options.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace firmware {

namespace {
std::optional<int> Pad(const std::string& text) {
    char* end = nullptr;
    const long pad = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || pad < 1 || pad > 30) return std::nullopt;
    return static_cast<int>(pad);
}

// "PAD<separator>REST": the address and the rest.
std::optional<std::pair<int, std::string>> Split(const std::string& text, char separator) {
    const std::size_t at = text.find(separator);
    if (at == std::string::npos) return std::nullopt;
    const std::optional<int> pad = Pad(text.substr(0, at));
    if (!pad) return std::nullopt;
    return std::make_pair(*pad, text.substr(at + 1));
}

std::optional<double> Seconds(const std::string& text) {
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || seconds < 0) return std::nullopt;
    return seconds;
}

std::optional<std::set<int>> Secondaries(const std::string& text) {
    std::set<int> secondaries;
    std::istringstream items(text);
    for (std::string item; std::getline(items, item, ',');) {
        char* end = nullptr;
        const long sad = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0' || sad < 0x60 || sad > 0x7e) return std::nullopt;
        secondaries.insert(static_cast<int>(sad));
    }
    if (secondaries.empty()) return std::nullopt;
    return secondaries;
}

// C's escapes \xNN, \n, \r and \\ taken out.
std::optional<std::string> Unescaped(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        const char escaped = text[i];
        const bool hex = escaped == 'x' && i + 2 < text.size() && std::isxdigit(text[i + 1]) &&
                         std::isxdigit(text[i + 2]);
        if (escaped == 'n') {
            bytes += '\n';
        } else if (escaped == 'r') {
            bytes += '\r';
        } else if (escaped == '\\') {
            bytes += '\\';
        } else if (hex) {
            bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return bytes;
}

// One option and its value; false when the value is not one.
bool Take(const std::string& option, const std::string& value, RunnerOptions& options) {
    if (option == "--secondaries") {
        const auto split = Split(value, '=');
        const auto secondaries = split ? Secondaries(split->second) : std::nullopt;
        if (secondaries) options.habits[split->first].secondaries = *secondaries;
        return secondaries.has_value();
    }
    if (option == "--slow" || option == "--trickle") {
        const auto split = Split(value, '@');
        const auto seconds = split ? Seconds(split->second) : std::nullopt;
        if (!seconds) return false;
        DeviceHabits& habits = options.habits[split->first];
        (option == "--slow" ? habits.busyAfterMessage : habits.byteGap) = *seconds;
        return true;
    }
    if (option == "--answers") {
        const auto split = Split(value, '=');
        const auto text = split ? Unescaped(split->second) : std::nullopt;
        if (text) options.answers[split->first] = *text;
        return text.has_value();
    }
    return false;
}
}  // namespace

std::optional<RunnerOptions> ParseOptions(int argc, char* argv[], std::string& error) {
    RunnerOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--") {
            options.command.assign(argv + i + 1, argv + argc);
            break;
        }
        if (argument.rfind("--", 0) != 0) {
            if (!options.firmware.empty()) error = "one firmware only: " + argument;
            options.firmware = argument;
        } else if (i + 1 == argc || !Take(argument, argv[i + 1], options)) {
            error = "not understood: " + argument +
                    (i + 1 < argc ? " " + std::string(argv[i + 1]) : "");
        } else {
            ++i;
        }
        if (!error.empty()) return std::nullopt;
    }
    if (options.firmware.empty()) error = "no firmware named";
    if (!error.empty()) return std::nullopt;
    return options;
}

}  // namespace firmware
