// The links to an adapter on Windows: a COM port, or a Winsock connection.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mstcpip.h>
#include <windows.h>
// clang-format on

#include "adapter/windows_link.h"

#include <algorithm>
#include <cmath>

#include "adapter/place.h"
#include "adapter/windows_device_names.h"

namespace adapter {

namespace {
constexpr DWORD kConnectMs = 5000;
constexpr DWORD kKeepAliveMs = 5000;
constexpr std::size_t kChunk = 4096;

// The system's own words for an error code, without its line end.
std::string SystemText(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string said = length ? std::string(text, length) : "error " + std::to_string(code);
    LocalFree(text);
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == '.')) {
        said.pop_back();
    }
    return said;
}

std::string Reason(const std::string& what, DWORD code) {
    return what + ": " + SystemText(code);
}

// Milliseconds left until `deadline` on the clock, none when it has passed.
DWORD MillisecondsUntil(driver::Clock& clock, double deadline) {
    const double left = deadline - clock.Now();
    return left > 0 ? static_cast<DWORD>(std::ceil(left * 1000)) : 0;
}

class ComPortLink : public Link {
public:
    ComPortLink(HANDLE port, std::shared_ptr<driver::Clock> clock)
        : port_(port), clock_(std::move(clock)) {}
    ~ComPortLink() override { CloseHandle(port_); }

    bool Send(std::string_view bytes, double deadline) override {
        while (!bytes.empty() && failure_.empty()) {
            // A port that takes nothing more by the deadline (a stalled USB serial adapter) is
            // given up.
            DWORD written = 0;
            if (!SetTimeouts(0, MillisecondsUntil(*clock_, deadline)) ||
                !WriteFile(port_, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                           nullptr)) {
                failure_ = Reason("write", GetLastError());
            } else if (written == 0) {
                failure_ = "write: it takes nothing more";
            }
            bytes.remove_prefix(written);
        }
        return failure_.empty();
    }

    // The first byte waited for up to the deadline, then whatever else is there at once: the
    // "return on the first byte" setting of the time-outs is not honoured everywhere (wine).
    std::optional<std::string> Receive(double deadline) override {
        if (!failure_.empty()) return std::nullopt;
        const DWORD wait = MillisecondsUntil(*clock_, deadline);
        char buffer[kChunk];
        DWORD got = 0;
        if (!ReadWithin(wait, buffer, 1, got)) return std::nullopt;
        DWORD more = 0;
        if (got == 1 && !ReadWithin(0, buffer + 1, kChunk - 1, more)) return std::nullopt;
        return std::string(buffer, got + more);
    }

    std::string Failure() const override { return failure_; }

private:
    // Up to `size` bytes, waiting up to `milliseconds` for them (none: only what is there).
    bool ReadWithin(DWORD milliseconds, char* into, DWORD size, DWORD& got) {
        if (SetTimeouts(milliseconds, 1) && ReadFile(port_, into, size, &got, nullptr)) {
            return true;
        }
        // A pulled USB cable: the port's driver fails every call from then on.
        failure_ = Reason("read", GetLastError());
        return false;
    }

    // A read waits up to `readMs` (none: only what is there), a write up to `writeMs` (at
    // least 1: none would mean no limit). Each read and each write sets its own.
    bool SetTimeouts(DWORD readMs, DWORD writeMs) {
        COMMTIMEOUTS timeouts{};
        if (readMs == 0) {
            timeouts.ReadIntervalTimeout = MAXDWORD;
        } else {
            timeouts.ReadTotalTimeoutConstant = readMs;
        }
        timeouts.WriteTotalTimeoutConstant = writeMs > 0 ? writeMs : 1;
        return SetCommTimeouts(port_, &timeouts);
    }

    HANDLE port_;
    std::shared_ptr<driver::Clock> clock_;
    std::string failure_;
};

class SocketLink : public Link {
public:
    SocketLink(SOCKET socket, std::shared_ptr<driver::Clock> clock)
        : socket_(socket), clock_(std::move(clock)) {}
    ~SocketLink() override { closesocket(socket_); }

    bool Send(std::string_view bytes, double deadline) override {
        while (!bytes.empty() && failure_.empty()) {
            // A connection that takes nothing more by the deadline is given up.
            const DWORD limit = std::max<DWORD>(MillisecondsUntil(*clock_, deadline), 1);
            setsockopt(socket_, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&limit),
                       sizeof limit);
            const int sent = send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0);
            if (sent == SOCKET_ERROR) {
                failure_ = Reason("send", WSAGetLastError());
            } else {
                bytes.remove_prefix(static_cast<std::size_t>(sent));
            }
        }
        return failure_.empty();
    }

    std::optional<std::string> Receive(double deadline) override {
        if (!failure_.empty()) return std::nullopt;
        const DWORD wait = MillisecondsUntil(*clock_, deadline);
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval limit{static_cast<long>(wait / 1000), static_cast<long>(wait % 1000) * 1000};
        const int ready = select(0, &readable, nullptr, nullptr, &limit);
        if (ready == SOCKET_ERROR) {
            failure_ = Reason("select", WSAGetLastError());
            return std::nullopt;
        }
        if (ready == 0) return std::string();
        char buffer[kChunk];
        const int got = recv(socket_, buffer, static_cast<int>(kChunk), 0);
        if (got > 0) return std::string(buffer, static_cast<std::size_t>(got));
        failure_ =
            got == 0 ? "the other end closed the connection" : Reason("read", WSAGetLastError());
        return std::nullopt;
    }

    std::string Failure() const override { return failure_; }

private:
    SOCKET socket_;
    std::shared_ptr<driver::Clock> clock_;
    std::string failure_;
};

bool SetUpComPort(HANDLE port) {
    DCB settings{};
    settings.DCBlength = sizeof settings;
    if (!GetCommState(port, &settings)) return false;
    settings.BaudRate = CBR_115200;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    settings.fBinary = TRUE;
    settings.fParity = FALSE;
    settings.fOutxCtsFlow = FALSE;
    settings.fOutxDsrFlow = FALSE;
    settings.fDsrSensitivity = FALSE;
    settings.fOutX = FALSE;
    settings.fInX = FALSE;
    settings.fNull = FALSE;
    settings.fAbortOnError = FALSE;
    // DTR and RTS raised, as opening a port on Linux raises them: an Arduino resets on DTR.
    settings.fDtrControl = DTR_CONTROL_ENABLE;
    settings.fRtsControl = RTS_CONTROL_ENABLE;
    return SetCommState(port, &settings) &&
           PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
}

// Connects within kConnectMs, or says why not.
bool Connected(SOCKET socket, const addrinfo& address, int& failure) {
    u_long nonBlocking = 1;
    ioctlsocket(socket, FIONBIO, &nonBlocking);
    if (connect(socket, address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0 &&
        WSAGetLastError() != WSAEWOULDBLOCK) {
        failure = WSAGetLastError();
        return false;
    }
    fd_set writable, refused;
    FD_ZERO(&writable);
    FD_ZERO(&refused);
    FD_SET(socket, &writable);
    FD_SET(socket, &refused);
    timeval limit{kConnectMs / 1000, 0};
    if (select(0, nullptr, &writable, &refused, &limit) <= 0) {
        failure = WSAETIMEDOUT;
        return false;
    }
    if (FD_ISSET(socket, &refused)) {
        int size = sizeof failure;
        getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&failure), &size);
        return false;
    }
    u_long blocking = 0;
    ioctlsocket(socket, FIONBIO, &blocking);
    return true;
}

// Each line goes out at once; a peer that vanished without a word is noticed in the end.
void TuneConnection(SOCKET socket) {
    const BOOL on = TRUE;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    tcp_keepalive keepAlive{1, kKeepAliveMs, 1000};
    DWORD returned = 0;
    WSAIoctl(socket, SIO_KEEPALIVE_VALS, &keepAlive, sizeof keepAlive, nullptr, 0, &returned,
             nullptr, nullptr);
}
}  // namespace

std::unique_ptr<Link> OpenComPort(const std::string& name, std::shared_ptr<driver::Clock> clock,
                                  std::string& error) {
    // No sharing: no other program may talk to the adapter in the middle of an exchange.
    HANDLE port = CreateFileA(ComPortDevicePath(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        error = Reason("cannot open " + name, code);
        if (code == ERROR_ACCESS_DENIED) error += " (is another program using it?)";
        return nullptr;
    }
    if (!SetUpComPort(port)) {
        error = Reason("cannot set up " + name + " (raw, 8N1, 115200)", GetLastError());
        CloseHandle(port);
        return nullptr;
    }
    return std::make_unique<ComPortLink>(port, std::move(clock));
}

std::unique_ptr<Link> OpenTcpConnection(const std::string& host, int port,
                                        std::shared_ptr<driver::Clock> clock, std::string& error) {
    WSADATA started;
    if (const int failed = WSAStartup(MAKEWORD(2, 2), &started)) {
        error = Reason("cannot start Winsock", failed);
        return nullptr;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int failed = getaddrinfo(host.c_str(), service.c_str(), &hints, &found)) {
        error = Reason("cannot find " + host, failed);
        return nullptr;
    }
    SOCKET connected = INVALID_SOCKET;
    for (addrinfo* a = found; a && connected == INVALID_SOCKET; a = a->ai_next) {
        const SOCKET attempt = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        int failure = WSAGetLastError();
        if (attempt != INVALID_SOCKET && Connected(attempt, *a, failure)) {
            connected = attempt;
        } else {
            error = Reason("cannot connect to " + host + ":" + service, failure);
            if (attempt != INVALID_SOCKET) closesocket(attempt);
        }
    }
    freeaddrinfo(found);
    if (connected == INVALID_SOCKET) return nullptr;
    TuneConnection(connected);
    return std::make_unique<SocketLink>(connected, std::move(clock));
}

// Windows' way to what GPIB_ADAPTER names.
std::unique_ptr<Link> OpenLink(const Place& place, std::shared_ptr<driver::Clock> clock,
                               std::string& error) {
    if (place.tcp) return OpenTcpConnection(place.path, place.port, std::move(clock), error);
    return OpenComPort(place.path, std::move(clock), error);
}

}  // namespace adapter
