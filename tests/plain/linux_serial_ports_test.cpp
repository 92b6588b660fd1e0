// The USB serial ports as Linux shows them, on a stand-in for sysfs and /dev/serial/by-id below
// a folder of the test's own: each board's identity, the stable names, and, when an adapter is
// looked for, that no port is opened unless its identity names an adapter (watched by inotify).
#include "adapter/linux_serial_ports.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "adapter/adapter_finder.h"
#include "adapter/adapter_ports.h"
#include "check.h"

namespace {
namespace fs = std::filesystem;

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

void Link(const fs::path& link, const fs::path& target) {
    fs::create_directories(link.parent_path());
    fs::create_directory_symlink(target, link);
}

// A system with a Prologix (ttyUSB0), an FTDI cable (ttyUSB1), an Arduino (ttyACM0) and a PC's own
// serial port (ttyS0), laid out as the kernel and udev lay them out.
struct Machine {
    fs::path root;

    explicit Machine(const char* name) : root(fs::temp_directory_path() / name) {
        fs::remove_all(root);
        const fs::path usb = root / "sys/devices/pci0000:00/0000:00:14.0/usb1";
        Board(usb / "1-2", "0403", "6001", "PXGEINXD", "Prologix", "Prologix GPIB-USB Controller");
        SerialConverter(usb / "1-2", "ttyUSB0");
        Board(usb / "1-3", "0403", "6001", "A50285BI", "FTDI", "FT232R USB UART");
        SerialConverter(usb / "1-3", "ttyUSB1");
        Board(usb / "1-4", "2341", "0043", "75735323", "Arduino (www.arduino.cc)",
              "Arduino Uno  ");  // padded, as some boards' strings are
        const fs::path acm = usb / "1-4/1-4:1.0/tty/ttyACM0";
        Link(acm / "device", "../../../1-4:1.0");
        Link(root / "sys/class/tty/ttyACM0",
             "../../devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/tty/ttyACM0");
        const fs::path platform = root / "sys/devices/platform/serial8250";
        Link(platform / "tty/ttyS0/device", "../../../serial8250");
        Link(root / "sys/class/tty/ttyS0", "../../devices/platform/serial8250/tty/ttyS0");
        Link(root / "sys/class/tty/tty0", "../../devices/virtual/tty/tty0");
        fs::create_directories(root / "sys/devices/virtual/tty/tty0");

        Device("ttyUSB0", "Prologix GPIB-USB Controller version 6.107");
        Device("ttyUSB1", "a meter");
        Device("ttyACM0", "a 3D printer");
        Device("ttyS0", "a modem");
        const fs::path byId = root / "dev/serial/by-id";
        Link(byId / "usb-Prologix_Prologix_GPIB-USB_Controller_PXGEINXD-if00-port0",
             "../../ttyUSB0");
        Link(byId / "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "../../ttyUSB1");
        Link(byId / "usb-Arduino__www.arduino.cc__Arduino_Uno_75735323-if00", "../../ttyACM0");
    }
    ~Machine() { fs::remove_all(root); }

    void Board(const fs::path& folder, const char* vendor, const char* product, const char* serial,
               const char* manufacturer, const char* name) {
        Write(folder / "idVendor", std::string(vendor) + "\n");
        Write(folder / "idProduct", std::string(product) + "\n");
        Write(folder / "serial", std::string(serial) + "\n");
        Write(folder / "manufacturer", std::string(manufacturer) + "\n");
        Write(folder / "product", std::string(name) + "\n");
    }
    // A USB serial converter's port (ftdi_sio): the tty hangs below the port's own device.
    void SerialConverter(const fs::path& board, const std::string& tty) {
        const std::string interface = board.filename().string() + ":1.0";
        const fs::path port = board / interface / tty;
        Link(port / "tty" / tty / "device", "../../../" + tty);
        const fs::path relative = fs::relative(port / "tty" / tty, root / "sys/class/tty");
        Link(root / "sys/class/tty" / tty, relative);
    }
    void Device(const std::string& tty, const std::string& answer) {
        Write(root / "dev" / tty, answer);
    }
};

const adapter::SerialPort* Named(const std::vector<adapter::SerialPort>& ports,
                                 const std::string& name) {
    for (const adapter::SerialPort& port : ports) {
        if (port.name == name) return &port;
    }
    return nullptr;
}

// Opens the candidate as the library would and reads what it is: an adapter says "Prologix".
std::optional<std::string> OpenAndAsk(const adapter::Candidate& candidate) {
    const int fd = ::open(candidate.place.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return "cannot open";
    char answer[16] = {};
    const bool adapter = ::read(fd, answer, 8) == 8 && std::string(answer) == "Prologix";
    ::close(fd);
    if (!adapter) return "no adapter";
    return std::nullopt;
}

// The names of the files below `folder` that were opened since the watch began.
struct OpenWatch {
    int fd;
    explicit OpenWatch(const fs::path& folder) : fd(inotify_init1(IN_NONBLOCK)) {
        inotify_add_watch(fd, folder.c_str(), IN_OPEN);
    }
    ~OpenWatch() { ::close(fd); }
    std::set<std::string> Opened() {
        std::set<std::string> names;
        alignas(inotify_event) char buffer[4096];
        ssize_t got;
        while ((got = ::read(fd, buffer, sizeof buffer)) > 0) {
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len > 0) names.insert(event->name);
                at += sizeof(inotify_event) + event->len;
            }
        }
        return names;
    }
};

void EachUsbPortWithItsIdentityAndStableName() {
    const Machine machine("pulvar-serial-ports-listing");
    const std::vector<adapter::SerialPort> ports = adapter::ListSerialPortsBelow(machine.root);
    CHECK(ports.size() == 3);
    CHECK(!Named(ports, "/dev/ttyS0") && !Named(ports, "/dev/tty0"));
    const adapter::SerialPort* prologix = Named(ports, "/dev/ttyUSB0");
    CHECK(prologix && prologix->usb && prologix->usb->manufacturer == "Prologix" &&
          prologix->usb->description == "Prologix GPIB-USB Controller" &&
          prologix->usb->vendor == "0403" && prologix->usb->product == "6001" &&
          prologix->usb->serialNumber == "PXGEINXD");
    CHECK(prologix && prologix->path == (machine.root / "dev/serial/by-id/usb-Prologix_Prologix_"
                                                        "GPIB-USB_Controller_PXGEINXD-if00-port0")
                                            .string());
    const adapter::SerialPort* arduino = Named(ports, "/dev/ttyACM0");
    CHECK(arduino && arduino->usb && arduino->usb->description == "Arduino Uno" &&
          arduino->usb->serialNumber == "75735323");
}

// Without udev's stable names (a container, a slim system), the kernel's name is used.
void APortWithoutStableNameByItsKernelName() {
    const Machine machine("pulvar-serial-ports-no-by-id");
    fs::remove_all(machine.root / "dev/serial");
    const std::vector<adapter::SerialPort> ports = adapter::ListSerialPortsBelow(machine.root);
    const adapter::SerialPort* prologix = Named(ports, "/dev/ttyUSB0");
    CHECK(prologix && prologix->path == (machine.root / "dev/ttyUSB0").string());
    CHECK(adapter::ListSerialPortsBelow(machine.root / "nowhere").empty());
}

// The library lists the folder the tests name, and otherwise (not named, or named empty) the
// machine's own.
void TheFolderNamedOrTheMachinesOwn() {
    const Machine machine("pulvar-serial-ports-root");
    ::setenv("GPIB_ADAPTER_ROOT", machine.root.c_str(), 1);
    CHECK(adapter::ListAdapterPorts().size() == 3);
    const std::size_t own = adapter::ListSerialPortsBelow("/").size();
    ::setenv("GPIB_ADAPTER_ROOT", "", 1);
    CHECK(adapter::ListAdapterPorts().size() == own);
    ::unsetenv("GPIB_ADAPTER_ROOT");
    CHECK(adapter::ListAdapterPorts().size() == own);
}

void OnlyThePrologixIsOpened() {
    const Machine machine("pulvar-serial-ports-finding");
    OpenWatch watch(machine.root / "dev");
    const adapter::Finding finding =
        adapter::FindAdapter(adapter::ListSerialPortsBelow(machine.root), std::nullopt, OpenAndAsk);
    CHECK(finding.found && finding.found->shown == "/dev/ttyUSB0 (Prologix GPIB-USB Controller)");
    CHECK(finding.message == "using the adapter at /dev/ttyUSB0 (Prologix GPIB-USB Controller)");
    CHECK(watch.Opened() == std::set<std::string>{"ttyUSB0"});
}

void NoAdapterAndNothingOpened() {
    const Machine machine("pulvar-serial-ports-none");
    fs::remove_all(machine.root / "sys/class/tty/ttyUSB0");
    OpenWatch watch(machine.root / "dev");
    const adapter::Finding finding =
        adapter::FindAdapter(adapter::ListSerialPortsBelow(machine.root), std::nullopt, OpenAndAsk);
    CHECK(!finding.found);
    CHECK(finding.message.find("serial ports seen: /dev/ttyACM0 (Arduino Uno), /dev/ttyUSB1 "
                               "(FT232R USB UART).") != std::string::npos);
    CHECK(watch.Opened().empty());
}

// An AR488 on the Arduino, named once and remembered: its board is tried first, before the
// Prologix, and answers here as the adapter.
void TheRememberedBoardIsOpenedFirst() {
    const Machine machine("pulvar-serial-ports-remembered");
    std::ofstream(machine.root / "dev/ttyACM0") << "Prologix-like AR488";
    const auto last = adapter::RememberedOf(
        "/dev/ttyACM0", adapter::UsbIdentity{"2341", "0043", "75735323", "", ""});
    OpenWatch watch(machine.root / "dev");
    const adapter::Finding finding =
        adapter::FindAdapter(adapter::ListSerialPortsBelow(machine.root), last, OpenAndAsk);
    CHECK(finding.found && finding.found->shown == "/dev/ttyACM0 (Arduino Uno)");
    CHECK(watch.Opened() == std::set<std::string>{"ttyACM0"});
}
}  // namespace

int main() {
    return plain::Run({
        {"each USB port with its identity and stable name",
         EachUsbPortWithItsIdentityAndStableName},
        {"a port without a stable name by its kernel name", APortWithoutStableNameByItsKernelName},
        {"the folder named, or the machine's own", TheFolderNamedOrTheMachinesOwn},
        {"only the Prologix is opened", OnlyThePrologixIsOpened},
        {"no adapter, and nothing opened", NoAdapterAndNothingOpened},
        {"the remembered board is opened first", TheRememberedBoardIsOpenedFirst},
    });
}
