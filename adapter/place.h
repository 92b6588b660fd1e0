// What GPIB_ADAPTER names, and the link to it: fd_link.cpp opens it on Linux, windows_link.cpp
// on Windows.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "adapter/link.h"
#include "driver/clock.h"

namespace adapter {

// What GPIB_ADAPTER names: "/dev/ttyUSB0", or "tcp:host[:port]" (port 1234 by default).
struct Place {
    bool tcp = false;
    std::string path;  // the serial device, or the host
    int port = 0;
};
constexpr int kPrologixPort = 1234;
// Nothing, with the reason in `error`, for a text that names no place.
std::optional<Place> PlaceOf(const std::string& text, std::string& error);

// The link, or nothing with the reason in `error`. A serial port is opened raw, 8N1, 115200
// baud, without flow control, and for this process alone.
std::unique_ptr<Link> OpenLink(const Place& place, std::shared_ptr<driver::Clock> clock,
                               std::string& error);

}  // namespace adapter
