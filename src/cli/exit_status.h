// The exit statuses of pulvar-cli, as its help text and the README document them.
#pragma once

namespace ExitStatus {
constexpr int kDone = 0;
constexpr int kUsage = 2;           // the command line is wrong; nothing was loaded or sent
constexpr int kBusSetupFailed = 3;  // no driver library, or the listener search failed
constexpr int kNoSupply = 4;        // none of the supported supplies answered
constexpr int kValueRefused = 5;    // a value outside the supply's limits; no new value was sent
constexpr int kBusError = 6;        // a write or read failed; nothing more was sent
constexpr int kNotSwitched = 7;     // the output was told to switch, and read back unswitched
}  // namespace ExitStatus
