// What Windows' device list says, read on any system.
#include "adapter/windows_device_names.h"

#include <algorithm>
#include <cctype>

namespace adapter {

namespace {
bool StartsWithNoCase(std::string_view text, std::string_view start) {
    return text.size() >= start.size() &&
           std::equal(start.begin(), start.end(), text.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) ==
                      std::toupper(static_cast<unsigned char>(b));
           });
}

std::string InCase(std::string_view text, int (*change)(int)) {
    std::string changed(text);
    for (char& c : changed) c = static_cast<char>(change(static_cast<unsigned char>(c)));
    return changed;
}

bool IsHex(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

// The four hex digits after `key` ("VID_") in the hardware part of an id, in lower case.
std::optional<std::string> Number(std::string_view hardware, std::string_view key) {
    const std::size_t at = InCase(hardware, std::toupper).find(key);
    if (at == std::string::npos || at + key.size() + 4 > hardware.size()) return std::nullopt;
    const std::string_view digits = hardware.substr(at + key.size(), 4);
    if (!IsHex(digits)) return std::nullopt;
    return InCase(digits, std::tolower);
}
}  // namespace

std::optional<UsbIdentity> UsbIdentityOfInstanceId(std::string_view id) {
    if (!StartsWithNoCase(id, "USB\\")) return std::nullopt;
    id.remove_prefix(4);
    const std::size_t slash = id.find('\\');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string_view hardware = id.substr(0, slash);
    const std::string_view instance = id.substr(slash + 1);
    if (InCase(hardware, std::tolower).find("&mi_") != std::string::npos) return std::nullopt;
    const std::optional<std::string> vendor = Number(hardware, "VID_");
    const std::optional<std::string> product = Number(hardware, "PID_");
    if (!vendor || !product) return std::nullopt;
    UsbIdentity usb{*vendor, *product, "", "", ""};
    // Windows makes up an instance part with '&' in it for a board that has no serial number.
    if (instance.find('&') == std::string_view::npos) usb.serialNumber = std::string(instance);
    return usb;
}

bool IsComPortName(std::string_view name) {
    if (!StartsWithNoCase(name, "COM") || name.size() == 3) return false;
    name.remove_prefix(3);
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

std::string ComPortDevicePath(std::string_view name) {
    constexpr std::string_view kDevices = "\\\\.\\";
    if (name.substr(0, kDevices.size()) == kDevices) return std::string(name);
    return std::string(kDevices) + std::string(name);
}

}  // namespace adapter
