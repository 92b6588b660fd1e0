// Where the emulated adapter meets its host: a pseudo-terminal or a TCP port on 127.0.0.1.
#include "bench/emulator/host_port.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>

namespace bench {

namespace {
std::string Reason(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// The events of one descriptor within `seconds` (0 when none came).
short Poll(int fd, short events, double seconds) {
    pollfd polled{fd, events, 0};
    const int ready = ::poll(&polled, 1, static_cast<int>(std::ceil(seconds * 1000)));
    return ready > 0 ? polled.revents : 0;
}

// Everything the descriptor has now; nothing when the other end is gone.
std::optional<std::string> ReadNow(int fd) {
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            bytes.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) return bytes;
        return bytes.empty() ? std::nullopt : std::optional<std::string>(bytes);
    }
}

// A socket whose host is gone must not end the emulator with SIGPIPE.
void WriteAll(int fd, std::string_view bytes, bool socket) {
    while (!bytes.empty()) {
        const ssize_t written = socket ? ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL)
                                       : ::write(fd, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else if (written < 0 && errno == EAGAIN) {
            Poll(fd, POLLOUT, 1.0);
        } else if (written < 0 && errno != EINTR) {
            return;
        }
    }
}

class PseudoTerminal : public HostPort {
public:
    PseudoTerminal(int master, std::string name) : master_(master), name_(std::move(name)) {}
    ~PseudoTerminal() override { ::close(master_); }

    std::string Name() const override { return name_; }

    std::string Wait(double seconds, bool& opened) override {
        const short events = Poll(master_, POLLIN, seconds);
        // While no one has the terminal open, its master side reports a hang-up; what the host
        // wrote before it closed the terminal is still there to read.
        if (events & POLLHUP) {
            const std::string last = (events & POLLIN) ? Pending() : std::string();
            connected_ = false;
            if (last.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return last;
        }
        if (!connected_) opened = connected_ = true;
        return Pending();
    }

    std::string Pending() override {
        const std::optional<std::string> bytes = ReadNow(master_);
        if (!bytes) connected_ = false;
        return bytes.value_or(std::string());
    }

    void Send(std::string_view bytes) override {
        if (connected_) WriteAll(master_, bytes, false);
    }

private:
    int master_;
    std::string name_;
    bool connected_ = false;
};

class TcpPort : public HostPort {
public:
    TcpPort(int listener, int port) : listener_(listener), port_(port) {}
    ~TcpPort() override {
        Drop();
        ::close(listener_);
    }

    std::string Name() const override { return "tcp:127.0.0.1:" + std::to_string(port_); }

    std::string Wait(double seconds, bool& opened) override {
        if (client_ < 0) {
            if (!(Poll(listener_, POLLIN, seconds) & POLLIN)) return {};
            client_ = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            opened = client_ >= 0;
            // What the adapter says goes out at once, as the adapter's own does.
            const int on = 1;
            if (opened) ::setsockopt(client_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            return {};
        }
        if (!Poll(client_, POLLIN, seconds)) return {};
        return Pending();
    }

    std::string Pending() override {
        if (client_ < 0) return {};
        const std::optional<std::string> bytes = ReadNow(client_);
        if (!bytes) Drop();
        return bytes.value_or(std::string());
    }

    void Send(std::string_view bytes) override {
        if (client_ >= 0) WriteAll(client_, bytes, true);
    }

private:
    void Drop() {
        if (client_ >= 0) ::close(client_);
        client_ = -1;
    }

    int listener_;
    int port_;
    int client_ = -1;
};
}  // namespace

std::unique_ptr<HostPort> OpenPseudoTerminal(std::string& error) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        error = Reason("no pseudo-terminal");
        if (master >= 0) ::close(master);
        return nullptr;
    }
    const std::string name = ::ptsname(master);
    // Raw from the start, as a serial port shows its bytes, until the host sets it up itself.
    const int terminal = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (terminal >= 0 && ::tcgetattr(terminal, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(terminal, TCSANOW, &settings);
    }
    if (terminal >= 0) ::close(terminal);
    return std::make_unique<PseudoTerminal>(master, name);
}

std::unique_ptr<HostPort> ListenOnTcp(int port, std::string& error) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    const int on = 1;
    if (listener < 0 || ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        error = Reason("cannot listen on 127.0.0.1:" + std::to_string(port));
        if (listener >= 0) ::close(listener);
        return nullptr;
    }
    return std::make_unique<TcpPort>(listener, ntohs(address.sin_port));
}

}  // namespace bench
