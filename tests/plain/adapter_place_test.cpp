// What GPIB_ADAPTER may name, read the same on Linux and on Windows: a serial port as it is
// written, or a GPIB-ETHERNET as tcp:host[:port], port 1234 unless given.
#include <string>

#include "adapter/place.h"
#include "check.h"

namespace {
void ASerialPortAsItIsWritten() {
    for (const char* name : {"/dev/ttyUSB0", "COM3", "COM12"}) {
        std::string error;
        const std::optional<adapter::Place> place = adapter::PlaceOf(name, error);
        CHECK(place && !place->tcp && place->path == name && error.empty());
    }
}

void ANetworkAdapterWithItsPort() {
    struct Named {
        const char* text;
        const char* host;
        int port;
    };
    for (const Named& named :
         {Named{"tcp:gpib-bench", "gpib-bench", 1234}, Named{"tcp:10.0.0.7:1", "10.0.0.7", 1},
          Named{"tcp:gpib-bench:65535", "gpib-bench", 65535},
          Named{"tcp:[fe80::1]:2000", "fe80::1", 2000}, Named{"tcp:[fe80::1]", "fe80::1", 1234}}) {
        std::string error;
        const std::optional<adapter::Place> place = adapter::PlaceOf(named.text, error);
        CHECK(place && place->tcp && place->path == named.host && place->port == named.port);
    }
}

void WhatNamesNoPlace() {
    struct Refused {
        const char* text;
        const char* reason;
    };
    for (const Refused& refused :
         {Refused{"", "no adapter named"}, Refused{"tcp:", "no host after tcp:"},
          Refused{"tcp::1234", "no host after tcp:"},
          Refused{"tcp:gpib-bench:0", "\"0\" is no TCP port"},
          Refused{"tcp:gpib-bench:65536", "\"65536\" is no TCP port"},
          Refused{"tcp:gpib-bench:12a", "\"12a\" is no TCP port"},
          Refused{"tcp:gpib-bench:", "\"\" is no TCP port"}}) {
        std::string error;
        CHECK(!adapter::PlaceOf(refused.text, error) && error == refused.reason);
    }
}
}  // namespace

int main() {
    return plain::Run({
        {"a serial port as it is written", ASerialPortAsItIsWritten},
        {"a network adapter with its port", ANetworkAdapterWithItsPort},
        {"what names no place", WhatNamesNoPlace},
    });
}
