// How an adapter takes the host's bytes apart into lines.
#include "bench/emulator/line_reader.h"

namespace bench {

namespace {
constexpr char kEscape = 0x1B;
}  // namespace

void LineReader::Clear() {
    buffer_.clear();
    raw_.clear();
    plusEscaped_ = false;
}

HostLine LineReader::Take(bool command, bool more) {
    HostLine line{command, command ? buffer_.substr(2) : buffer_, raw_, more};
    Clear();
    return line;
}

std::optional<HostLine> LineReader::Ended() {
    if (buffer_.empty()) {  // a blank line
        Clear();
        return std::nullopt;
    }
    const bool command = buffer_.size() > 2 && buffer_.compare(0, 2, "++") == 0 && !plusEscaped_;
    // "++!" breaks a read under way; between lines it does nothing.
    if (command && buffer_[2] == '!') {
        Clear();
        return std::nullopt;
    }
    return Take(command, false);
}

std::optional<HostLine> LineReader::Full() {
    if (limit_ == 0 || buffer_.size() < limit_) return std::nullopt;
    // A command without its end does not fit: it is dropped. Data goes out as it is.
    if (buffer_.compare(0, 2, "++") == 0) {
        Clear();
        return std::nullopt;
    }
    return Take(false, true);
}

std::optional<HostLine> LineReader::Push(char byte) {
    if (byte == '\r' || byte == '\n') {
        if (!escaped_) return Ended();
        raw_ += byte;
        escaped_ = false;
        buffer_ += byte;
    } else if (byte == kEscape) {
        raw_ += byte;
        if (escaped_) buffer_ += byte;
        escaped_ = !escaped_;
    } else {
        if (escaped_ && byte == '+' && buffer_.size() < 2) plusEscaped_ = true;
        escaped_ = false;
        buffer_ += byte;
        raw_ += byte;
    }
    return Full();
}

}  // namespace bench
