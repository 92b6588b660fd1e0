// What GPIB_ADAPTER names, read the same on every system.
#include "adapter/place.h"

#include <cstdlib>

namespace adapter {

std::optional<Place> PlaceOf(const std::string& text, std::string& error) {
    Place place;
    if (text.rfind("tcp:", 0) != 0) {
        if (text.empty()) error = "no adapter named";
        place.path = text;
        if (text.empty()) return std::nullopt;
        return place;
    }
    place.tcp = true;
    place.port = kPrologixPort;
    std::string host = text.substr(4);
    const std::size_t colon = host.rfind(':');
    // An IPv6 address is written in brackets, so that its own colons are not taken for the port.
    const bool bracketed = !host.empty() && host.front() == '[';
    const std::size_t closing = host.find(']');
    if (colon != std::string::npos && (!bracketed || colon > closing)) {
        const std::string port = host.substr(colon + 1);
        char* end = nullptr;
        const long number = std::strtol(port.c_str(), &end, 10);
        if (port.empty() || *end != '\0' || number < 1 || number > 65535) {
            error = "\"" + port + "\" is no TCP port";
            return std::nullopt;
        }
        place.port = static_cast<int>(number);
        host.resize(colon);
    }
    if (bracketed && closing != std::string::npos) host = host.substr(1, closing - 1);
    if (host.empty()) {
        error = "no host after tcp:";
        return std::nullopt;
    }
    place.path = host;
    return place;
}

}  // namespace adapter
