// The firmware's serial port on a pseudo-terminal of its own.
#include "serial_line.h"

#include <avr_uart.h>
#include <fcntl.h>
#include <poll.h>
#include <sim_avr.h>
#include <sim_cycle_timers.h>
#include <sim_io.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "driver/trace.h"

namespace firmware {

namespace {
// 115200 baud, 8N1: ten bits a byte, at 16 MHz.
constexpr std::uint64_t kCyclesPerByte = 16000000ULL * 10 / 115200;
constexpr char kEscape = 0x1b;

bool IsRead(std::string_view line) {
    return line == "++read" || line.rfind("++read ", 0) == 0;
}

// A pseudo-terminal whose other side nobody holds open yet; its name in `name`.
int MakePseudoTerminal(std::string& name) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) return -1;
    char slave[128];
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, slave, sizeof slave) != 0) {
        ::close(master);
        return -1;
    }
    // Raw from the start, as a USB serial port's line is.
    const int fd = ::open(slave, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (fd >= 0 && ::tcgetattr(fd, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(fd, TCSANOW, &settings);
    }
    if (fd >= 0) ::close(fd);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    name = slave;
    return master;
}
}  // namespace

SerialLine::SerialLine(avr_t* avr, std::function<void(std::string_view)> note)
    : avr_(avr), note_(std::move(note)) {
    master_ = MakePseudoTerminal(name_);
    // The simulator's own echo of the port on its console, and its sleeps while the firmware
    // polls the UART, are not wanted here.
    std::uint32_t flags = 0;
    avr_ioctl(avr_, AVR_IOCTL_UART_GET_FLAGS('0'), &flags);
    flags &= ~(AVR_UART_FLAG_STDIO | AVR_UART_FLAG_POLL_SLEEP);
    avr_ioctl(avr_, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);
    const std::uint32_t uart = AVR_IOCTL_UART_GETIRQ('0');
    input_ = avr_io_getirq(avr_, uart, UART_IRQ_INPUT);
    avr_irq_register_notify(avr_io_getirq(avr_, uart, UART_IRQ_OUTPUT), Sent, this);
    avr_irq_register_notify(avr_io_getirq(avr_, uart, UART_IRQ_OUT_XOFF), Full, this);
    avr_irq_register_notify(avr_io_getirq(avr_, uart, UART_IRQ_OUT_XON), Room, this);
}

SerialLine::~SerialLine() {
    if (master_ >= 0) ::close(master_);
}

void SerialLine::Sent(avr_irq_t*, std::uint32_t byte, void* line) {
    SerialLine& self = *static_cast<SerialLine*>(line);
    const char c = static_cast<char>(byte);
    self.toHost_ += c;
    self.saidLine_ += c;
    self.lastSentCycle_ = self.avr_->cycle;
    if (c == '\n') self.NoteSaid();
}

void SerialLine::Full(avr_irq_t*, std::uint32_t full, void* line) {
    static_cast<SerialLine*>(line)->full_ = full != 0;
}

void SerialLine::Room(avr_irq_t*, std::uint32_t, void* line) {
    static_cast<SerialLine*>(line)->full_ = false;
}

std::uint64_t SerialLine::Feed(avr_t*, std::uint64_t when, void* line) {
    SerialLine& self = *static_cast<SerialLine*>(line);
    // The simulated UART keeps a FIFO of its own that a real one does not have; bytes wait while
    // it is full rather than being lost there (the firmware's own 64-byte buffer still loses
    // what it has no room for, as on a real board).
    if (!self.full_ && !self.toFirmware_.empty()) {
        avr_raise_irq(self.input_, self.toFirmware_.front());
        self.toFirmware_.pop_front();
    }
    self.feeding_ = !self.toFirmware_.empty();
    return self.feeding_ ? when + kCyclesPerByte : 0;
}

bool SerialLine::Service(bool listening) {
    if (master_ < 0) return false;
    pollfd polled{master_, POLLIN, 0};
    ::poll(&polled, 1, 0);
    // No one holds the other side open: the host has not opened the port, or has closed it.
    const bool present = !(polled.revents & POLLHUP);
    const bool opened = present && !hostPresent_;
    if (hostPresent_ && !present) note_("host closed the port");
    hostPresent_ = present;
    if (present && (polled.revents & POLLIN)) {
        char bytes[512];
        ssize_t got;
        while (master_ >= 0 && (got = ::read(master_, bytes, sizeof bytes)) > 0) {
            if (listening) FromHost(std::string_view(bytes, static_cast<std::size_t>(got)));
        }
    }
    ToHost();
    if (!saidLine_.empty() && avr_->cycle - lastSentCycle_ > 4 * kCyclesPerByte) NoteSaid();
    return opened;
}

void SerialLine::FromHost(std::string_view bytes) {
    for (const char c : bytes) {
        if ((c == '\n' || c == '\r') && !hostEscaped_) {
            if (!hostLine_.empty()) note_("host> \"" + driver::EscapeBytes(hostLine_) + "\"");
            if (unplugArmed_ && IsRead(hostLine_)) {
                Unplug();
                return;
            }
            hostLine_.clear();
        } else {
            hostLine_ += c;
        }
        hostEscaped_ = c == kEscape && !hostEscaped_;
        toFirmware_.push_back(static_cast<std::uint8_t>(c));
    }
    if (!feeding_ && !toFirmware_.empty()) {
        feeding_ = true;
        avr_cycle_timer_register(avr_, kCyclesPerByte, Feed, this);
    }
}

void SerialLine::ToHost() {
    // Bytes sent while no host holds the port are lost, as on a real serial line.
    if (!hostPresent_) toHost_.clear();
    while (!toHost_.empty()) {
        const ssize_t written = ::write(master_, toHost_.data(), toHost_.size());
        if (written <= 0) return;
        toHost_.erase(0, static_cast<std::size_t>(written));
    }
}

void SerialLine::NoteSaid() {
    note_("host< \"" + driver::EscapeBytes(saidLine_) + "\"");
    saidLine_.clear();
}

void SerialLine::Reset() {
    feeding_ = full_ = hostEscaped_ = false;
    toFirmware_.clear();
}

void SerialLine::Unplug() {
    note_("port unplugged");
    ::close(master_);
    master_ = -1;
    hostPresent_ = false;
    toFirmware_.clear();
}

}  // namespace firmware
