// The driver's status word bits, error codes and time-out codes, and the status a call leaves.
#pragma once

#include <array>
#include <optional>

namespace driver {

// Status word bits.
constexpr int ERR = 0x8000;
constexpr int TIMO = 0x4000;
constexpr int END = 0x2000;
constexpr int CMPL = 0x0100;
constexpr int CIC = 0x0020;

// Error codes.
constexpr int EDVR = 0;
constexpr int ENOL = 2;
constexpr int EARG = 4;
constexpr int EABO = 6;
constexpr int ENEB = 7;
constexpr int ECAP = 11;
constexpr int EBUS = 14;
constexpr int ETAB = 20;

constexpr int kHighestPad = 30;  // primary addresses 1..30 hold instruments, 0 is the board

constexpr int NOADDR = 0xFFFF;

// What the last call left for ibsta, iberr and ibcntl (ibcnt is ibcntl narrowed to int).
struct Status {
    int ibsta = 0;
    int iberr = 0;
    long ibcntl = 0;
};

// Seconds of the time-out codes T10us (1) to T1000s (17); code 0 is TNONE, no limit.
inline std::optional<double> TimeoutSeconds(int code) {
    constexpr std::array<double, 18> seconds = {0,    10e-6, 30e-6, 100e-6, 300e-6, 1e-3,
                                                3e-3, 10e-3, 30e-3, 0.1,    0.3,    1,
                                                3,    10,    30,    100,    300,    1000};
    if (code <= 0 || code >= static_cast<int>(seconds.size())) return std::nullopt;
    return seconds[code];
}

inline bool IsTimeoutCode(int code) {
    return code >= 0 && code <= 17;
}

}  // namespace driver
