// Reading a complete answer, and turning a device descriptor back into its GPIB address.
#pragma once

#include <cstdint>
#include <string>

#include "bus/gpib_binding.h"
#include "bus/listener_table.h"
#include "platform/platform.h"

// The longest answer accepted; a device that never ends its answer is cut off here.
constexpr std::size_t kMaxAnswerBytes = 64 * 1024;

// The answer without its line end, or the empty text after a failed read.
std::string ReadResponse(GpibBinding& gpib, Platform& platform, int16_t device);

// The primary address of the listener holding this descriptor, 0 when none does.
int16_t DeviceAddress(const ListenerTable& tables, Platform& platform, int16_t device);

// An exchange was asked of descriptor 0: tells the user and ends the program.
[[noreturn]] void DeviceNotConfigured(Platform& platform);
