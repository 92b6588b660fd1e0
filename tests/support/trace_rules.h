// Rules every run of the program keeps on the bus, whatever was clicked or went wrong, checked
// from the bench's trace.
#pragma once

#include <string>
#include <vector>

// One message the program may write to a supply: a query, "OUT ON", "OUT OFF", "INIT", or a
// set-command word followed by a number text.
bool IsMessageTheProgramSends(const std::string& data);

// The first rule the trace lines break, in words, or the empty text when they keep them all:
// a query written is read before anything else is written or cleared (exchanges never
// interleave), and every message written is one the program sends.
std::string FirstBrokenRule(const std::vector<std::string>& lines);
