// The last adapter that worked, kept per user.
#include "adapter/remembered_adapter.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace adapter {

namespace {
constexpr const char* kUsb = "usb";
constexpr const char* kTcp = "tcp:";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}
}  // namespace

std::optional<RememberedAdapter> RememberedOf(const std::string& place,
                                              const std::optional<UsbIdentity>& usb) {
    if (place.rfind(kTcp, 0) == 0) return RememberedAdapter{place, "", "", ""};
    if (!usb || usb->serialNumber.empty()) return std::nullopt;
    return RememberedAdapter{"", usb->vendor, usb->product, usb->serialNumber};
}

bool IsSameBoard(const RememberedAdapter& remembered, const UsbIdentity& usb) {
    return remembered.tcp.empty() && !remembered.serialNumber.empty() &&
           remembered.vendor == usb.vendor && remembered.product == usb.product &&
           remembered.serialNumber == usb.serialNumber;
}

std::string TextOf(const RememberedAdapter& remembered) {
    if (!remembered.tcp.empty()) return remembered.tcp;
    return std::string(kUsb) + " " + remembered.vendor + " " + remembered.product + " " +
           remembered.serialNumber;
}

std::optional<RememberedAdapter> RememberedFromText(const std::string& text) {
    if (text.rfind(kTcp, 0) == 0 && text.size() > 4) return RememberedAdapter{text, "", "", ""};
    std::istringstream words(text);
    std::string kind;
    RememberedAdapter usb;
    words >> kind >> usb.vendor >> usb.product;
    // The serial number is the rest of the line, blanks and all.
    std::getline(words >> std::ws, usb.serialNumber);
    if (kind != kUsb || usb.vendor.empty() || usb.product.empty() || usb.serialNumber.empty()) {
        return std::nullopt;
    }
    return usb;
}

std::optional<RememberedAdapter> ReadRemembered(const std::string& file) {
    std::ifstream in(file);
    std::string line;
    if (!std::getline(in, line)) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return RememberedFromText(line);
}

bool WriteRemembered(const std::string& file, const RememberedAdapter& remembered) {
    std::error_code failed;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), failed);
    std::ofstream out(file, std::ios::trunc);
    out << TextOf(remembered) << '\n';
    return static_cast<bool>(out.flush());
}

std::string RememberedAdapterFile() {
#ifdef _WIN32
    const std::string local = Environment("LOCALAPPDATA");
    return local.empty() ? "" : local + "\\Pulvar\\last-adapter.txt";
#else
    if (const std::string state = Environment("XDG_STATE_HOME"); !state.empty()) {
        return state + "/pulvar/last-adapter";
    }
    const std::string home = Environment("HOME");
    return home.empty() ? "" : home + "/.local/state/pulvar/last-adapter";
#endif
}

}  // namespace adapter
