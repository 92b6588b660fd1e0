// How the library writes what the adapters' commands take: an address, a read time-out.
#pragma once

#include <string>

namespace adapter {

// A Prologix refuses "++read_tmo_ms" above 3000: longer waits are built from rounds of this.
constexpr double kLongestRound = 3.0;

// "5", or "5 96" with a secondary address (96 and up, as the adapters take it).
std::string AddressText(int pad, int sad);

// What "++read_tmo_ms" takes for a time-out: 1 to 3000 ms.
int Milliseconds(double seconds);

}  // namespace adapter
