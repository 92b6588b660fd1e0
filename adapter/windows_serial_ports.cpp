// The serial ports as Windows lists them: the Ports class of its device list (SetupAPI), each
// port's COM name, and for a board on USB its numbers from the instance ids and its product
// string from the bus-reported description (FTDI's driver names every port "USB Serial Port").
// After windows.h, initguid.h makes the device property keys and class GUIDs defined here, not
// only declared.
// clang-format off
#include <windows.h>
#include <initguid.h>
#include <cfgmgr32.h>
#include <devguid.h>
#include <devpkey.h>
#include <setupapi.h>
// clang-format on

#include "adapter/serial_ports.h"
#include "adapter/windows_device_names.h"

namespace adapter {

namespace {
// How far up from a port its USB device may sit: FTDI's bus, a composite board's interface.
constexpr int kMostParents = 3;

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return "";
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back();  // the terminating zero
    return utf8;
}

std::string InstanceId(DEVINST device) {
    wchar_t id[MAX_DEVICE_ID_LEN] = {};
    if (CM_Get_Device_IDW(device, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) return "";
    return Utf8(id);
}

std::string TextProperty(DEVINST device, const DEVPROPKEY& key) {
    wchar_t text[512] = {};
    ULONG size = sizeof text - sizeof(wchar_t);
    DEVPROPTYPE type = 0;
    if (CM_Get_DevNode_PropertyW(device, &key, &type, reinterpret_cast<PBYTE>(text), &size, 0) !=
            CR_SUCCESS ||
        type != DEVPROP_TYPE_STRING) {
        return "";
    }
    return Utf8(text);
}

// The board's identity: the port itself when the system's USB serial driver serves it, else the
// USB device above it. Its product string is the first bus-reported description on the way up.
std::optional<UsbIdentity> UsbIdentityAbove(DEVINST device) {
    std::string description;
    for (int up = 0; up <= kMostParents; ++up) {
        if (description.empty()) {
            description = TextProperty(device, DEVPKEY_Device_BusReportedDeviceDesc);
        }
        if (std::optional<UsbIdentity> usb = UsbIdentityOfInstanceId(InstanceId(device))) {
            usb->description = description;
            return usb;
        }
        DEVINST parent = 0;
        if (CM_Get_Parent(&parent, device, 0) != CR_SUCCESS) break;
        device = parent;
    }
    return std::nullopt;
}

// "COM3", from the port's own settings in the registry.
std::string PortName(HDEVINFO ports, SP_DEVINFO_DATA& port) {
    HKEY key = SetupDiOpenDevRegKey(ports, &port, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return "";
    wchar_t name[64] = {};
    DWORD size = sizeof name - sizeof(wchar_t);
    DWORD type = 0;
    const LONG read =
        RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<LPBYTE>(name), &size);
    RegCloseKey(key);
    return read == ERROR_SUCCESS && type == REG_SZ ? Utf8(name) : "";
}
}  // namespace

std::vector<SerialPort> ListSerialPorts() {
    std::vector<SerialPort> found;
    HDEVINFO ports = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (ports == INVALID_HANDLE_VALUE) return found;
    SP_DEVINFO_DATA port{};
    port.cbSize = sizeof port;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(ports, index, &port); ++index) {
        const std::string name = PortName(ports, port);
        // The class holds the printer ports too.
        if (!IsComPortName(name)) continue;
        found.push_back({name, name, UsbIdentityAbove(port.DevInst)});
    }
    SetupDiDestroyDeviceInfoList(ports);
    return found;
}

}  // namespace adapter
