// How an adapter takes the host's bytes apart into lines, as the AR488 firmware's parseInput does
// (the Prologix manual describes the same rules): an unescaped CR or LF ends a line, ESC makes the
// next byte plain data, a line that starts with "++" (neither "+" escaped) and holds more is a
// command, a blank line is none. An AR488 holds 128 bytes: a longer command is dropped, longer
// data goes to the bus in pieces of 128.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace bench {

struct HostLine {
    bool command = false;
    std::string text;   // a command without its "++"; data as the bus gets it
    std::string raw;    // the line as the host sent it, escapes and all
    bool more = false;  // data cut where the buffer ended: the rest of the message follows
};

class LineReader {
public:
    // `buffer`: the bytes the adapter holds for one line; 0 for no limit.
    explicit LineReader(std::size_t buffer = 0) : limit_(buffer) {}

    // The line this byte completes, if it completes one.
    std::optional<HostLine> Push(char byte);
    void Reset() { *this = LineReader(limit_); }

private:
    void Clear();
    std::optional<HostLine> Ended();
    std::optional<HostLine> Full();
    HostLine Take(bool command, bool more);

    std::size_t limit_;
    std::string buffer_;
    std::string raw_;
    bool escaped_ = false;
    bool plusEscaped_ = false;  // a "+" among the first two bytes came after ESC
};

}  // namespace bench
