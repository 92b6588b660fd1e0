// Rules every run of the program keeps on the bus, whatever was clicked or went wrong, checked
// from the bench's trace.
#pragma once

#include <string>
#include <vector>

// True when a trace line, with or without its time stamp, is a call of `function`.
bool IsCall(const std::string& line, const std::string& function);
// The bytes of the line's `data="..."`, escapes as written; the program's messages have none.
std::string DataOf(const std::string& line);
// The time stamp that starts a trace line (bench seconds), read the same whatever the locale.
double TimeOf(const std::string& line);

// The first rule the trace lines break, in words, or the empty text when they keep them all:
// a query written is read before anything else is written or cleared (exchanges never
// interleave) or the lines end, and every message written is one the program sends.
std::string FirstBrokenRule(const std::vector<std::string>& lines);
