// How the library writes what the adapters' commands take.
#include "adapter/commands.h"

#include <algorithm>
#include <cmath>

#include "driver/trace.h"

namespace adapter {

std::string AddressText(int pad, int sad) {
    return driver::N(pad) + (sad ? " " + driver::N(sad) : "");
}

int Milliseconds(double seconds) {
    return std::clamp(static_cast<int>(std::ceil(seconds * 1000 - 1e-9)), 1,
                      static_cast<int>(kLongestRound * 1000));
}

}  // namespace adapter
