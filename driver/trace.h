// The record of the driver calls: one line per call, kept in memory and appended to a file.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "driver/status.h"

namespace driver {

// Bytes as a C string literal's body: \n \r \t \\ \" and \xNN for the rest outside 0x20-0x7e.
std::string EscapeBytes(std::string_view bytes);

// "0x" and four lower-case hex digits, as the trace shows status words and masks.
std::string HexWord(int value);

// A number in decimal, as the trace shows descriptors, addresses and counts.
std::string N(long value);

// "<t> <call> -> sta=0x<hex4> err=<n> cnt=<n>", t in seconds with three decimals.
std::string TraceLine(double seconds, std::string_view call, const Status& status);

class Trace {
public:
    // Appends every later line to `path`; false (errno says why) if it cannot be opened.
    bool SetFile(const std::string& path);
    void Record(double seconds, std::string_view call, const Status& status);
    // "<t> <text>": a line that is no call, such as what went to an adapter.
    void Note(double seconds, std::string_view text);
    const std::vector<std::string>& Lines() const { return lines_; }
    // Whether lines are kept in memory for Lines() (by default they are). A driver library that
    // runs for days keeps none: its file has them.
    void KeepLines(bool keep) { keepLines_ = keep; }

private:
    void Keep(std::string line);

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::vector<std::string> lines_;
    bool keepLines_ = true;
    std::unique_ptr<std::FILE, FileCloser> file_;
};

}  // namespace driver
