// The links to an adapter on Windows: a COM port of any number, set up as the adapters need it,
// or a Winsock connection to a Prologix GPIB-ETHERNET.
#pragma once

#include <memory>
#include <string>

#include "adapter/link.h"
#include "driver/clock.h"

namespace adapter {

// "COM3" or "COM12": raw, 8N1, 115200 baud, no flow control, for this process alone; nothing
// with the reason in `error` (a port that is missing or that another program has open).
std::unique_ptr<Link> OpenComPort(const std::string& name, std::shared_ptr<driver::Clock> clock,
                                  std::string& error);

// Given 5 s to connect; lines go out at once (no Nagle), and a peer that vanished without a word
// is noticed by keep-alive probes after some seconds.
std::unique_ptr<Link> OpenTcpConnection(const std::string& host, int port,
                                        std::shared_ptr<driver::Clock> clock, std::string& error);

}  // namespace adapter
