// Finding the adapter when none is named.
#include "adapter/adapter_finder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <tuple>

#include "adapter/windows_device_names.h"

namespace adapter {

namespace {
#ifdef _WIN32
constexpr const char* kExamplePort = "COM3";
#else
constexpr const char* kExamplePort = "/dev/ttyACM0";
#endif

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool Mentions(const std::string& text, const char* word) {
    return Lower(text).find(word) != std::string::npos;
}

// "/dev/ttyUSB10" -> ("/dev/ttyusb", 10, ...): the name without its last number, that number.
std::tuple<std::string, unsigned long, std::string> OrderKey(const std::string& name) {
    std::size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
    const std::string number = name.substr(digits).substr(0, 9);
    return {Lower(name.substr(0, digits)), number.empty() ? 0 : std::stoul(number), name};
}

std::string Listed(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

std::string HowToName() {
    return std::string("name the adapter's port with GPIB_ADAPTER=") + kExamplePort +
           " or as pulvar-adapter's argument (tcp:<host> for a GPIB-ETHERNET)";
}

std::string PortsSeen(const std::vector<SerialPort>& ports) {
    std::vector<std::string> seen;
    for (const SerialPort& port : ports) seen.push_back(Shown(port));
    return seen.empty() ? "no USB serial port seen" : "serial ports seen: " + Listed(seen);
}

std::string NoneFound(const std::vector<SerialPort>& ports,
                      const std::vector<std::string>& failures) {
    const std::string why = failures.empty()
                                ? "no GPIB adapter found"
                                : "no GPIB adapter answered (" + Listed(failures) + ")";
    return why + "; " + PortsSeen(ports) +
           ". A Prologix GPIB-USB is found by itself; an AR488 on an Arduino is used only when "
           "named: " +
           HowToName();
}

std::string Used(const Candidate& used, const std::vector<Candidate>& candidates) {
    std::vector<std::string> others;
    for (const Candidate& other : candidates) {
        // Ports only: a network adapter that did not answer was never seen.
        if (other.place != used.place && other.usb) others.push_back(other.shown);
    }
    std::string message = "using the adapter at " + used.shown;
    if (!others.empty())
        message += "; also seen: " + Listed(others) + "; to use another, " + HowToName();
    return message;
}
}  // namespace

bool NamesAnAdapter(const UsbIdentity& usb) {
    for (const std::string& text : {usb.manufacturer, usb.description}) {
        if (Mentions(text, "prologix") || Mentions(text, "ar488")) return true;
    }
    return false;
}

void SortPorts(std::vector<SerialPort>& ports) {
    std::sort(ports.begin(), ports.end(), [](const SerialPort& a, const SerialPort& b) {
        return OrderKey(a.name) < OrderKey(b.name);
    });
}

std::optional<SerialPort> PortNamed(const std::vector<SerialPort>& ports,
                                    const std::string& named) {
    std::error_code failed;
    for (const SerialPort& port : ports) {
        // COM names in any case; a device by any of its links.
        const bool sameComPort = IsComPortName(named) && Lower(port.name) == Lower(named);
        if (sameComPort || port.path == named ||
            std::filesystem::equivalent(port.path, named, failed)) {
            return port;
        }
    }
    return std::nullopt;
}

std::string Shown(const SerialPort& port) {
    if (!port.usb || port.usb->description.empty()) return port.name;
    return port.name + " (" + port.usb->description + ")";
}

std::vector<Candidate> CandidatesInOrder(std::vector<SerialPort> ports,
                                         const std::optional<RememberedAdapter>& last) {
    SortPorts(ports);
    std::vector<Candidate> candidates;
    if (last && !last->tcp.empty()) candidates.push_back({last->tcp, last->tcp, std::nullopt});
    const auto remembered = [&](const SerialPort& port) {
        return last && port.usb && IsSameBoard(*last, *port.usb);
    };
    const auto add = [&](const SerialPort& port) {
        candidates.push_back({port.path, Shown(port), port.usb});
    };
    for (const SerialPort& port : ports) {
        if (remembered(port)) add(port);
    }
    for (const SerialPort& port : ports) {
        if (!remembered(port) && port.usb && NamesAnAdapter(*port.usb)) add(port);
    }
    return candidates;
}

Finding FindAdapter(const std::vector<SerialPort>& ports,
                    const std::optional<RememberedAdapter>& last, const TryCandidate& tryOne) {
    const std::vector<Candidate> candidates = CandidatesInOrder(ports, last);
    std::vector<std::string> failures;
    for (const Candidate& candidate : candidates) {
        if (const std::optional<std::string> failed = tryOne(candidate)) {
            failures.push_back(candidate.shown + ": " + *failed);
            continue;
        }
        return {candidate, Used(candidate, candidates)};
    }
    std::vector<SerialPort> sorted = ports;
    SortPorts(sorted);
    return {std::nullopt, NoneFound(sorted, failures)};
}

}  // namespace adapter
