// A link over a file descriptor: a serial port or a TCP connection.
#include "adapter/fd_link.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace adapter {

namespace {
constexpr int kConnectMs = 5000;

std::string Reason(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

class FdLink : public Link {
public:
    FdLink(int fd, bool socket, std::shared_ptr<driver::Clock> clock)
        : fd_(fd), socket_(socket), clock_(std::move(clock)) {}
    ~FdLink() override { ::close(fd_); }

    bool Send(std::string_view bytes, double deadline) override {
        while (!bytes.empty() && failure_.empty()) {
            // A socket whose peer is gone must not end the program with SIGPIPE.
            const ssize_t sent = socket_ ? ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL)
                                         : ::write(fd_, bytes.data(), bytes.size());
            if (sent > 0) {
                bytes.remove_prefix(static_cast<std::size_t>(sent));
            } else if (sent < 0 && errno == EAGAIN) {
                // A port that takes nothing more (a stalled USB serial adapter) is given up.
                if (clock_->Now() >= deadline) failure_ = "write: it takes nothing more";
                if (failure_.empty()) Wait(POLLOUT, deadline);
            } else if (sent < 0 && errno != EINTR) {
                failure_ = Reason("write");
            }
        }
        return failure_.empty();
    }

    std::optional<std::string> Receive(double deadline) override {
        if (!failure_.empty()) return std::nullopt;
        const short events = Wait(POLLIN, deadline);
        if (!failure_.empty()) return std::nullopt;
        if (!(events & (POLLIN | POLLHUP | POLLERR))) return std::string();
        char buffer[4096];
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        // Acknowledged at once: an adapter that holds its next bytes until then (Nagle) is not
        // kept waiting for a delayed acknowledgement.
        const int on = 1;
        if (got > 0 && socket_) ::setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
        if (got > 0) return std::string(buffer, static_cast<std::size_t>(got));
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) return std::string();
        // Ready to read, yet nothing: the other end is gone (a pulled USB cable, a closed
        // connection).
        failure_ = got == 0 ? "the other end closed the connection" : Reason("read");
        return std::nullopt;
    }

    std::string Failure() const override { return failure_; }

private:
    // The events that came before the deadline (none when it passed first).
    short Wait(short events, double deadline) {
        for (;;) {
            const double left = deadline - clock_->Now();
            const int milliseconds = left > 0 ? static_cast<int>(std::ceil(left * 1000)) : 0;
            pollfd polled{fd_, events, 0};
            const int ready = ::poll(&polled, 1, milliseconds);
            if (ready >= 0) return ready == 0 ? 0 : polled.revents;
            if (errno != EINTR) {
                failure_ = Reason("poll");
                return 0;
            }
        }
    }

    int fd_;
    bool socket_;
    std::shared_ptr<driver::Clock> clock_;
    std::string failure_;
};

int OpenSerial(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = Reason("cannot open " + path);
        if (errno == EACCES) error += " (is your user in the dialout group?)";
        return -1;
    }
    // Exclusive: no other program may talk to the adapter in the middle of an exchange.
    termios settings{};
    const bool set = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::ioctl(fd, TIOCEXCL) == 0 &&
                     ::tcgetattr(fd, &settings) == 0;
    if (!set) {
        error = Reason("cannot have " + path + " for this program alone");
        ::close(fd);
        return -1;
    }
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (::cfsetispeed(&settings, B115200) != 0 || ::cfsetospeed(&settings, B115200) != 0 ||
        ::tcsetattr(fd, TCSANOW, &settings) != 0) {
        error = Reason("cannot set up " + path + " (raw, 8N1, 115200)");
        ::close(fd);
        return -1;
    }
    ::tcflush(fd, TCIOFLUSH);
    return fd;
}

// Connects within a few seconds, or leaves errno saying why not.
bool Connected(int fd, const addrinfo& address) {
    if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0) return true;
    if (errno != EINPROGRESS) return false;
    pollfd polled{fd, POLLOUT, 0};
    if (::poll(&polled, 1, kConnectMs) <= 0) {
        errno = ETIMEDOUT;
        return false;
    }
    int failure = 0;
    socklen_t size = sizeof failure;
    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &size);
    errno = failure;
    return failure == 0;
}

int OpenTcp(const Place& place, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(place.port);
    if (const int failed = ::getaddrinfo(place.path.c_str(), port.c_str(), &hints, &found)) {
        error = "cannot find " + place.path + ": " + ::gai_strerror(failed);
        return -1;
    }
    int fd = -1;
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd >= 0 && !Connected(fd, *a)) {
            error = Reason("cannot connect to " + place.path + ":" + port);
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(found);
    if (fd < 0) return -1;
    // Each line goes out at once; a peer that vanishes without a word is noticed in the end.
    const int on = 1;
    const int unacknowledgedMs = 5000;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &unacknowledgedMs, sizeof unacknowledgedMs);
    return fd;
}
}  // namespace

std::unique_ptr<Link> OpenLink(const Place& place, std::shared_ptr<driver::Clock> clock,
                               std::string& error) {
    const int fd = place.tcp ? OpenTcp(place, error) : OpenSerial(place.path, error);
    if (fd < 0) return nullptr;
    return std::make_unique<FdLink>(fd, place.tcp, std::move(clock));
}

}  // namespace adapter
