// Where the emulated adapter meets its host: a pseudo-terminal, as a USB serial adapter is one,
// or a TCP port on 127.0.0.1, as a GPIB-ETHERNET is.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace bench {

class HostPort {
public:
    virtual ~HostPort() = default;
    // What GPIB_ADAPTER takes to reach it: "/dev/pts/3" or "tcp:127.0.0.1:40123".
    virtual std::string Name() const = 0;
    // Bytes from the host, waiting up to `seconds` for the first (empty when none came).
    // `opened` is set when the host has opened the port (or connected) since the last call.
    virtual std::string Wait(double seconds, bool& opened) = 0;
    // What the host has sent already, without waiting.
    virtual std::string Pending() = 0;
    // Lost when the host is not there.
    virtual void Send(std::string_view bytes) = 0;
};

// Nothing, with the reason in `error`, when it cannot be made.
std::unique_ptr<HostPort> OpenPseudoTerminal(std::string& error);
// On 127.0.0.1; port 0 takes any free one.
std::unique_ptr<HostPort> ListenOnTcp(int port, std::string& error);

}  // namespace bench
