// Reading a complete answer, and turning a device descriptor back into its GPIB address.
#include "bus/device_io.h"

#include <cstdlib>

#include "bus/trim_blanks.h"

namespace {
constexpr std::size_t kChunkBytes = 512;
constexpr int kMaxChunks = static_cast<int>(kMaxAnswerBytes / kChunkBytes);
constexpr int16_t kReadWaitMask = gpib::TIMO | gpib::CMPL;

bool IsLineEnd(char c) {
    return c == '\n' || c == '\r';
}

std::string WithoutLineEnd(std::string answer) {
    if (answer.size() >= 2 && IsLineEnd(answer[answer.size() - 2])) answer.pop_back();
    for (int i = 0; i < 2 && !answer.empty() && IsLineEnd(answer.back()); ++i) answer.pop_back();
    return answer;
}

// Reads chunk after chunk until the device ends its answer; false when the read failed.
bool ReadChunks(GpibBinding& gpib, int16_t device, std::string& answer) {
    for (int chunk = 0; chunk < kMaxChunks; ++chunk) {
        std::string buffer(kChunkBytes, ' ');
        gpib.ibwait(device, kReadWaitMask);
        gpib.ibrd(device, buffer);
        if (gpib.ibsta() & gpib::TIMO) return false;
        answer += TrimBlanks(buffer);
        if (gpib.ibsta() & gpib::END) return true;
        // An error that is neither a time-out nor the end would otherwise read on forever.
        if (gpib.ibsta() & gpib::ERR) return false;
    }
    return false;  // an answer that never ends is cut off here
}
}  // namespace

std::string ReadResponse(GpibBinding& gpib, Platform& platform, int16_t device) {
    if (device == 0) DeviceNotConfigured(platform);

    int16_t ownTimeout = 0;
    gpib.ibask(device, gpib::IbaTMO, ownTimeout);
    if (ownTimeout != gpib::T3s) gpib.ibtmo(device, gpib::T3s);

    std::string answer;
    const bool complete = ReadChunks(gpib, device, answer);
    gpib.ibtmo(device, ownTimeout);

    if (!complete) {
        platform.MessageBox("Read cycle failed\nOperation aborted.", "I/O Error",
                            BoxIcon::Exclamation, BoxButtons::Ok);
        return {};
    }
    return WithoutLineEnd(answer);
}

int16_t DeviceAddress(const ListenerTable& tables, Platform& platform, int16_t device) {
    for (int i = 1; i <= tables.Listeners[0] && i < ListenerTable::kSlots; ++i)
        if (tables.DeviceOfListener[i] == device) return tables.Listeners[i];
    platform.MessageBox("Device not found", "Error", BoxIcon::Information, BoxButtons::Ok);
    return 0;
}

void DeviceNotConfigured(Platform& platform) {
    platform.MessageBox("Device not configured.\n\nCorrect problem and restart.", "Device Error",
                        BoxIcon::Critical, BoxButtons::Ok);
    platform.EndNow();
    std::abort();  // EndNow never returns; nothing may go on to descriptor 0 if it did
}
