// The links to an adapter on Windows: a Winsock connection to a stand-in GPIB-ETHERNET on this
// machine, and COM ports that are not there.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on

#include "adapter/windows_link.h"

#include <algorithm>
#include <memory>
#include <string>

#include "check.h"

namespace {
// A listening socket on 127.0.0.1 and the one connection it accepts.
struct StandIn {
    SOCKET listening = INVALID_SOCKET;
    SOCKET peer = INVALID_SOCKET;
    int port = 0;

    StandIn() {
        WSADATA started;
        WSAStartup(MAKEWORD(2, 2), &started);
        listening = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listening, 1);
        int size = sizeof address;
        getsockname(listening, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
    }
    ~StandIn() {
        if (peer != INVALID_SOCKET) closesocket(peer);
        closesocket(listening);
    }
    void Accept() { peer = accept(listening, nullptr, nullptr); }
    std::string Received() {
        char buffer[256];
        const int got = recv(peer, buffer, sizeof buffer, 0);
        return got > 0 ? std::string(buffer, got) : std::string();
    }
};

// Waits for bytes until the deadline; what came, or nothing once the link is gone.
std::optional<std::string> ReceiveFor(adapter::Link& link, driver::Clock& clock, double seconds) {
    return link.Receive(clock.Now() + seconds);
}

void ANetworkAdapterExchangesLinesUntilItHangsUp() {
    StandIn adapter;
    auto clock = std::make_shared<driver::RealClock>();
    std::string error;
    std::unique_ptr<adapter::Link> link =
        adapter::OpenTcpConnection("127.0.0.1", adapter.port, clock, error);
    CHECK(link != nullptr);
    if (!link) return;
    adapter.Accept();

    CHECK(link->Send("++ver\n", clock->Now() + 5));
    CHECK(adapter.Received() == "++ver\n");
    const std::string version = "Prologix GPIB-ETHERNET Controller version 01.06.06.00\r\n";
    send(adapter.peer, version.data(), static_cast<int>(version.size()), 0);
    const std::optional<std::string> answer = ReceiveFor(*link, *clock, 5);
    CHECK(answer && *answer == version);

    // Silence: nothing, once the time given has passed, and no longer.
    const double before = clock->Now();
    const std::optional<std::string> silence = ReceiveFor(*link, *clock, 0.2);
    CHECK(silence && silence->empty());
    CHECK(clock->Now() - before >= 0.15 && clock->Now() - before < 3);

    closesocket(adapter.peer);
    adapter.peer = INVALID_SOCKET;
    CHECK(!ReceiveFor(*link, *clock, 5));
    CHECK(link->Failure() == "the other end closed the connection");
    CHECK(!link->Send("++ver\n", clock->Now() + 5));
}

void NoNetworkAdapterListening() {
    int port;
    {
        const StandIn gone;
        port = gone.port;
    }
    std::string error;
    const auto link =
        adapter::OpenTcpConnection("127.0.0.1", port, std::make_shared<driver::RealClock>(), error);
    CHECK(link == nullptr);
    CHECK(error.rfind("cannot connect to 127.0.0.1:" + std::to_string(port) + ": ", 0) == 0);
}

// The port's name in the reason, COM10 and above too, then the system's words for it as one
// line, without its line end or full stop.
void AMissingComPortIsNamed() {
    for (const char* name : {"COM9", "COM42"}) {
        std::string error;
        const auto link = adapter::OpenComPort(name, std::make_shared<driver::RealClock>(), error);
        CHECK(link == nullptr);
        const std::string start = std::string("cannot open ") + name + ": ";
        CHECK(error.rfind(start, 0) == 0);
        const std::string said = error.substr(std::min(start.size(), error.size()));
        CHECK(!said.empty() && said.find_first_of("\r\n") == std::string::npos &&
              said.back() != '.');
    }
}
}  // namespace

int main() {
    return plain::Run({
        {"a network adapter exchanges lines until it hangs up",
         ANetworkAdapterExchangesLinesUntilItHangsUp},
        {"no network adapter listening", NoNetworkAdapterListening},
        {"a missing COM port is named", AMissingComPortIsNamed},
    });
}
