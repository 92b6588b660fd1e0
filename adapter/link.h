// The byte stream to an adapter: a serial line or a TCP connection, or anything a test puts there.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace adapter {

class Link {
public:
    virtual ~Link() = default;

    // Sends all of the bytes by `deadline` (seconds on the port's clock); false once the link is
    // gone or takes nothing more in that time (a stalled port).
    virtual bool Send(std::string_view bytes, double deadline) = 0;
    // What has arrived, waiting until `deadline` (seconds on the port's clock) for a first byte;
    // empty when nothing came in time; nothing once the link is gone.
    virtual std::optional<std::string> Receive(double deadline) = 0;
    // Why the link is gone, e.g. "read: Input/output error".
    virtual std::string Failure() const = 0;
};

}  // namespace adapter
