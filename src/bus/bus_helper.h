// Bus set-up, identification of the supply, and the command exchange with it.
#pragma once

#include <cstdint>
#include <string>

#include "bus/gpib_binding.h"
#include "bus/listener_table.h"
#include "platform/platform.h"

// Every query waits this long between its write and its read.
constexpr float kQueryPause = 0.1f;

class BusHelper {
public:
    BusHelper(GpibBinding& gpib, Platform& platform);

    // Takes charge of the bus and lists its listeners; with mode 1 every failure ends the program.
    void InitBus(int16_t mode);
    // Looks among the unclaimed listeners for the one whose answer to `query` holds `expected`.
    // Marker characters are stripped from both texts, as the caller's variables.
    int16_t FindDevice(std::string& query, std::string& expected);
    // Waits at least `seconds` while window events are processed.
    void Pause(float seconds);

    void SendCommand(int16_t device, const std::string& text);
    // The answer, or the empty text after a failed write or read.
    std::string QueryDevice(int16_t device, const std::string& text);
    // Judges the call just made; may end the program.
    void ReportGpibError();

    GpibBinding& Gpib() { return gpib_; }
    const ListenerTable& Tables() const { return tables_; }

    int16_t DeviceTimeout = 0;
    int16_t GpibErrorShown = 0;

private:
    void KeepListeners();
    std::string AskListener(int16_t pad, const std::string& query, bool noClear, bool pauseFirst);
    int16_t Claim(int slot);
    void ReportDeviceNotFound(const std::string& query, const std::string& expected,
                              const std::string& received, bool continueOnFail);

    GpibBinding& gpib_;
    Platform& platform_;
    ListenerTable tables_;
};
