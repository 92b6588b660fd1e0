// Finding an adapter nobody named: which ports may be opened and in which order, what the user
// is told, the adapter remembered from last time, and what Windows' device list says.
#include "adapter/adapter_finder.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "adapter/remembered_adapter.h"
#include "adapter/windows_device_names.h"
#include "check.h"

namespace {
using adapter::Candidate;
using adapter::SerialPort;
using adapter::UsbIdentity;

const UsbIdentity kPrologix{"0403", "6001", "PXGEINXD", "Prologix", "Prologix GPIB-USB Controller"};
// Windows tells no manufacturer string: the product string alone names it.
const UsbIdentity kPrologixOnWindows{"0403", "6001", "PX9ABCDE", "",
                                     "Prologix GPIB-USB Controller"};
// Same vendor and product numbers as the Prologix: FTDI's own.
const UsbIdentity kFtdiCable{"0403", "6001", "A50285BI", "FTDI", "FT232R USB UART"};
const UsbIdentity kArduino{"2341", "0043", "75735323", "Arduino (www.arduino.cc)", "Arduino Uno"};
const UsbIdentity kNoSerialArduino{"2341", "0043", "", "Arduino (www.arduino.cc)", "Arduino Uno"};

SerialPort Port(const std::string& name, const UsbIdentity& usb) {
    return {name, name, usb};
}

// Tries nothing but notes what would have been opened; `adapters` answer as adapters.
struct Opener {
    std::vector<std::string> adapters;
    std::vector<std::string> opened;
    adapter::TryCandidate Try() {
        return [this](const Candidate& candidate) -> std::optional<std::string> {
            opened.push_back(candidate.place);
            for (const std::string& a : adapters) {
                if (a == candidate.place) return std::nullopt;
            }
            return "no answer to ++ver";
        };
    }
};

bool Holds(const std::string& text, const std::string& part) {
    const bool holds = text.find(part) != std::string::npos;
    if (!holds) std::printf("  \"%s\" lacks \"%s\"\n", text.c_str(), part.c_str());
    return holds;
}

void AnAdapterIsKnownByItsStringsNotByFtdiNumbers() {
    CHECK(adapter::NamesAnAdapter(kPrologix));
    CHECK(adapter::NamesAnAdapter(kPrologixOnWindows));
    CHECK(adapter::NamesAnAdapter({"0403", "6001", "", "PROLOGIX", ""}));
    CHECK(adapter::NamesAnAdapter({"2341", "8036", "", "", "AR488 GPIB Controller"}));
    CHECK(!adapter::NamesAnAdapter(kFtdiCable));
    CHECK(!adapter::NamesAnAdapter(kArduino));
    CHECK(!adapter::NamesAnAdapter({"0403", "6001", "", "", ""}));
}

// A generic board is never opened: not when it is alone, not beside an adapter.
void AGenericPortIsNeverOpened() {
    const std::vector<SerialPort> ports = {Port("COM4", kArduino), Port("COM7", kFtdiCable)};
    Opener opener;
    const adapter::Finding none = adapter::FindAdapter(ports, std::nullopt, opener.Try());
    CHECK(!none.found);
    CHECK(opener.opened.empty());
    CHECK(Holds(none.message, "no GPIB adapter found"));
    CHECK(Holds(none.message, "COM4 (Arduino Uno), COM7 (FT232R USB UART)"));
    CHECK(Holds(none.message, "GPIB_ADAPTER="));
    CHECK(Holds(none.message, "pulvar-adapter"));

    std::vector<SerialPort> withAdapter = ports;
    withAdapter.push_back(Port("COM9", kPrologixOnWindows));
    opener.adapters = {"COM9"};
    const adapter::Finding found = adapter::FindAdapter(withAdapter, std::nullopt, opener.Try());
    CHECK(found.found && found.found->place == "COM9");
    CHECK(opener.opened == std::vector<std::string>{"COM9"});
    CHECK(found.message == "using the adapter at COM9 (Prologix GPIB-USB Controller)");
}

void NoPortAtAllIsSaid() {
    Opener opener;
    const adapter::Finding none = adapter::FindAdapter({}, std::nullopt, opener.Try());
    CHECK(!none.found);
    CHECK(Holds(none.message, "no USB serial port seen"));
}

// COM ports by number, not by text: COM2 before COM10; so for Linux names.
void SeveralAdaptersTheFirstInAStableOrder() {
    const std::vector<SerialPort> ports = {Port("COM10", kPrologixOnWindows),
                                           Port("COM3", kPrologix), Port("COM2", kPrologix)};
    Opener opener;
    opener.adapters = {"COM2", "COM3", "COM10"};
    const adapter::Finding found = adapter::FindAdapter(ports, std::nullopt, opener.Try());
    CHECK(found.found && found.found->place == "COM2");
    CHECK(Holds(found.message, "using the adapter at COM2"));
    CHECK(Holds(found.message, "also seen: COM3 (Prologix GPIB-USB Controller), COM10"));
    CHECK(Holds(found.message, "to use another, name the adapter's port with GPIB_ADAPTER="));

    std::vector<SerialPort> linux = {Port("/dev/ttyUSB10", kPrologix),
                                     Port("/dev/ttyUSB2", kPrologix),
                                     Port("/dev/ttyACM0", kArduino)};
    adapter::SortPorts(linux);
    CHECK(linux[0].name == "/dev/ttyACM0" && linux[1].name == "/dev/ttyUSB2" &&
          linux[2].name == "/dev/ttyUSB10");
}

// One that does not answer as an adapter is passed over, and named in the end if none does.
void AnAdapterThatDoesNotAnswerIsPassedOver() {
    const std::vector<SerialPort> ports = {Port("COM3", kPrologix),
                                           Port("COM5", kPrologixOnWindows)};
    Opener opener;
    opener.adapters = {"COM5"};
    const adapter::Finding found = adapter::FindAdapter(ports, std::nullopt, opener.Try());
    CHECK(found.found && found.found->place == "COM5");
    CHECK((opener.opened == std::vector<std::string>{"COM3", "COM5"}));

    opener.adapters.clear();
    const adapter::Finding none = adapter::FindAdapter(ports, std::nullopt, opener.Try());
    CHECK(!none.found);
    CHECK(Holds(none.message,
                "no GPIB adapter answered (COM3 (Prologix GPIB-USB Controller): "
                "no answer to ++ver, COM5"));
}

// The board that worked last is tried first, by its identity, even an AR488 on an Arduino that
// was named then; another board of its kind (another serial number) is not.
void TheLastAdapterIsTriedFirst() {
    const std::vector<SerialPort> ports = {Port("COM2", kPrologix), Port("COM6", kArduino),
                                           Port("COM8", {"2341", "0043", "99", "", "Arduino Uno"})};
    const auto last = adapter::RememberedOf("COM6", kArduino);
    CHECK(last.has_value());
    const std::vector<Candidate> order = adapter::CandidatesInOrder(ports, last);
    CHECK(order.size() == 2 && order[0].place == "COM6" && order[1].place == "COM2");

    // A remembered Prologix comes first, and once.
    const std::vector<Candidate> prologixFirst =
        adapter::CandidatesInOrder({Port("COM2", kPrologixOnWindows), Port("COM3", kPrologix)},
                                   adapter::RememberedOf("COM3", kPrologix));
    CHECK(prologixFirst.size() == 2 && prologixFirst[0].place == "COM3" &&
          prologixFirst[1].place == "COM2");

    const auto network = adapter::RememberedOf("tcp:192.168.1.20:1234", std::nullopt);
    Opener opener;
    opener.adapters = {"COM2"};
    const adapter::Finding found = adapter::FindAdapter(ports, network, opener.Try());
    CHECK((opener.opened == std::vector<std::string>{"tcp:192.168.1.20:1234", "COM2"}));
    CHECK(found.found && found.found->place == "COM2");
    CHECK(found.message == "using the adapter at COM2 (Prologix GPIB-USB Controller)");
}

void OnlyABoardWithASerialNumberIsRemembered() {
    CHECK(!adapter::RememberedOf("COM6", kNoSerialArduino));
    CHECK(!adapter::RememberedOf("/dev/ttyUSB0", std::nullopt));
    const auto board = adapter::RememberedOf("/dev/ttyACM0", kArduino);
    CHECK(board && adapter::IsSameBoard(*board, kArduino));
    CHECK(board && !adapter::IsSameBoard(*board, kNoSerialArduino));
    CHECK(board && !adapter::IsSameBoard(*board, {"2341", "0042", "75735323", "", ""}));
}

void TheRememberedAdapterSurvivesItsFile() {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "pulvar-remembered-adapter-test";
    fs::remove_all(folder);
    const std::string file = (folder / "state" / "last-adapter").string();
    CHECK(!adapter::ReadRemembered(file));

    const adapter::RememberedAdapter blanks{"", "0403", "6001", "SN 12 A"};
    CHECK(adapter::WriteRemembered(file, blanks));
    const auto back = adapter::ReadRemembered(file);
    CHECK(back && back->serialNumber == "SN 12 A" && back->vendor == "0403" &&
          back->product == "6001" && back->tcp.empty());

    const adapter::RememberedAdapter network{"tcp:[fe80::1]:1234", "", "", ""};
    CHECK(adapter::WriteRemembered(file, network));
    const auto again = adapter::ReadRemembered(file);
    CHECK(again && again->tcp == "tcp:[fe80::1]:1234");

    for (const char* bad : {"", "tcp:", "usb 0403 6001", "serial 0403 6001 X", "COM3"}) {
        CHECK(!adapter::RememberedFromText(bad));
    }
    fs::remove_all(folder);
}

// FTDI's driver puts its own bus between the port and the USB device; a composite board puts an
// interface; a board without a serial number gets one made up with '&' in it.
void WindowsInstanceIdsGiveTheUsbIdentity() {
    const auto prologix = adapter::UsbIdentityOfInstanceId("USB\\VID_0403&PID_6001\\PXGEINXD");
    CHECK(prologix && prologix->vendor == "0403" && prologix->product == "6001" &&
          prologix->serialNumber == "PXGEINXD");
    const auto lower = adapter::UsbIdentityOfInstanceId("usb\\vid_2341&pid_0043\\75735323");
    CHECK(lower && lower->vendor == "2341" && lower->product == "0043");
    const auto noSerial = adapter::UsbIdentityOfInstanceId("USB\\VID_1A86&PID_7523\\5&2C0C2F&0&3");
    CHECK(noSerial && noSerial->vendor == "1a86" && noSerial->serialNumber.empty());
    CHECK(!adapter::UsbIdentityOfInstanceId("FTDIBUS\\VID_0403+PID_6001+PXGEINXDA\\0000"));
    CHECK(!adapter::UsbIdentityOfInstanceId("USB\\VID_2341&PID_8036&MI_00\\6&1A2B3C4D&0&0000"));
    CHECK(!adapter::UsbIdentityOfInstanceId("ACPI\\PNP0501\\1"));
    CHECK(!adapter::UsbIdentityOfInstanceId("USB\\VID_04&PID_6001\\X"));
    CHECK(!adapter::UsbIdentityOfInstanceId("USB\\VID_0403&PID_6001"));
}

void ComPortsOfAnyNumber() {
    CHECK(adapter::IsComPortName("COM1") && adapter::IsComPortName("com12"));
    CHECK(!adapter::IsComPortName("LPT1") && !adapter::IsComPortName("COM") &&
          !adapter::IsComPortName("COM1x"));
    CHECK(adapter::ComPortDevicePath("COM10") == "\\\\.\\COM10");
    CHECK(adapter::ComPortDevicePath("\\\\.\\COM10") == "\\\\.\\COM10");
}
}  // namespace

int main() {
    return plain::Run({
        {"an adapter is known by its strings, not by FTDI's numbers",
         AnAdapterIsKnownByItsStringsNotByFtdiNumbers},
        {"a generic port is never opened", AGenericPortIsNeverOpened},
        {"no port at all is said", NoPortAtAllIsSaid},
        {"several adapters: the first in a stable order", SeveralAdaptersTheFirstInAStableOrder},
        {"an adapter that does not answer is passed over", AnAdapterThatDoesNotAnswerIsPassedOver},
        {"the last adapter is tried first", TheLastAdapterIsTriedFirst},
        {"only a board with a serial number is remembered",
         OnlyABoardWithASerialNumberIsRemembered},
        {"the remembered adapter survives its file", TheRememberedAdapterSurvivesItsFile},
        {"Windows instance ids give the USB identity", WindowsInstanceIdsGiveTheUsbIdentity},
        {"COM ports of any number", ComPortsOfAnyNumber},
    });
}
