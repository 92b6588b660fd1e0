// The record of the driver calls: one line per call, kept in memory and appended to a file.
#include "driver/trace.h"

#include <algorithm>
#include <cmath>

namespace driver {

namespace {
std::string Hex(unsigned value, int digits) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(digits, '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) text[i] = kDigits[value & 0xF];
    return text;
}

// Integer arithmetic only, so that no locale can turn the point into a comma.
std::string Seconds(double seconds) {
    const long long millis = std::llround(std::max(0.0, seconds) * 1000.0);
    return std::to_string(millis / 1000) + "." + std::to_string(1000 + millis % 1000).substr(1);
}
}  // namespace

std::string EscapeBytes(std::string_view bytes) {
    std::string escaped;
    for (const char c : bytes) {
        switch (c) {
            case '\n':
                escaped += "\\n";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\\':
                escaped += "\\\\";
                break;
            case '"':
                escaped += "\\\"";
                break;
            default:
                if (c >= 0x20 && c <= 0x7e) {
                    escaped += c;
                } else {
                    escaped += "\\x" + Hex(static_cast<unsigned char>(c), 2);
                }
        }
    }
    return escaped;
}

std::string N(long value) {
    return std::to_string(value);
}

std::string HexWord(int value) {
    return "0x" + Hex(static_cast<unsigned>(value) & 0xFFFF, 4);
}

std::string TraceLine(double seconds, std::string_view call, const Status& status) {
    return Seconds(seconds) + " " + std::string(call) + " -> sta=0x" +
           Hex(static_cast<unsigned>(status.ibsta) & 0xFFFF, 4) +
           " err=" + std::to_string(status.iberr) + " cnt=" + std::to_string(status.ibcntl);
}

bool Trace::SetFile(const std::string& path) {
    file_.reset(std::fopen(path.c_str(), "a"));
    return file_ != nullptr;
}

void Trace::Record(double seconds, std::string_view call, const Status& status) {
    Keep(TraceLine(seconds, call, status));
}

void Trace::Note(double seconds, std::string_view text) {
    Keep(Seconds(seconds) + " " + std::string(text));
}

void Trace::Keep(std::string line) {
    if (file_) {
        // Flushed line by line: the program may end with _Exit, which flushes nothing.
        std::fprintf(file_.get(), "%s\n", line.c_str());
        std::fflush(file_.get());
    }
    if (keepLines_) lines_.push_back(std::move(line));
}

}  // namespace driver
