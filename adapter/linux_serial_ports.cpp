// The USB serial ports as Linux shows them, read from sysfs and /dev/serial/by-id only.
#include "adapter/linux_serial_ports.h"

#include <fstream>
#include <map>
#include <system_error>

namespace adapter {

namespace {
namespace fs = std::filesystem;

// A sysfs attribute's first line, without the blanks some boards pad their strings with; empty
// when the board has none.
std::string Attribute(const fs::path& folder, const char* name) {
    std::ifstream in(folder / name);
    std::string text;
    std::getline(in, text);
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

// The USB device a tty hangs below: the first folder up from it that has a vendor number, and
// nothing for a port on no USB bus (a PC's own ttyS*).
std::optional<fs::path> UsbDeviceAbove(const fs::path& tty, const fs::path& sys) {
    std::error_code failed;
    fs::path folder = fs::canonical(tty / "device", failed);
    if (failed) return std::nullopt;
    const fs::path top = fs::canonical(sys, failed);
    if (failed) return std::nullopt;
    for (; folder != top && folder.has_relative_path(); folder = folder.parent_path()) {
        if (fs::exists(folder / "idVendor", failed)) return folder;
    }
    return std::nullopt;
}

UsbIdentity IdentityIn(const fs::path& usb) {
    return {Attribute(usb, "idVendor"), Attribute(usb, "idProduct"), Attribute(usb, "serial"),
            Attribute(usb, "manufacturer"), Attribute(usb, "product")};
}

// tty name -> the link in /dev/serial/by-id that leads to it.
std::map<std::string, fs::path> StableNames(const fs::path& byId) {
    std::map<std::string, fs::path> names;
    std::error_code failed;
    for (const fs::directory_entry& link : fs::directory_iterator(byId, failed)) {
        const fs::path target = fs::read_symlink(link.path(), failed);
        if (!failed) names[target.filename().string()] = link.path();
    }
    return names;
}
}  // namespace

std::vector<SerialPort> ListSerialPortsBelow(const fs::path& root) {
    const fs::path sys = root / "sys";
    const std::map<std::string, fs::path> stable = StableNames(root / "dev/serial/by-id");
    std::vector<SerialPort> ports;
    std::error_code failed;
    for (const fs::directory_entry& tty : fs::directory_iterator(sys / "class/tty", failed)) {
        const std::optional<fs::path> usb = UsbDeviceAbove(tty.path(), sys);
        if (!usb) continue;
        const std::string name = tty.path().filename().string();
        const auto link = stable.find(name);
        const fs::path path = link != stable.end() ? link->second : root / "dev" / name;
        ports.push_back({"/dev/" + name, path.lexically_normal().string(), IdentityIn(*usb)});
    }
    return ports;
}

std::vector<SerialPort> ListSerialPorts() {
    return ListSerialPortsBelow("/");
}

}  // namespace adapter
