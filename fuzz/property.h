// What every fuzz target shares: a property that fails is a finding, reported with the input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// Ends the run as a finding when the property does not hold; libFuzzer keeps the input.
inline void Require(bool holds, const std::string& what) {
    if (holds) return;
    std::fprintf(stderr, "property failed: %s\n", what.c_str());
    std::abort();
}
