// A Prologix or AR488 adapter in front of the bench's instruments: it takes the host's lines as
// the real adapter does and acts on the bus through the bench's own calls, so that the bench's
// trace shows both the lines and the bus messages they became.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "adapter/framing.h"
#include "adapter/replies.h"
#include "bench/bench.h"

namespace bench {

// What "++ver" answers, by model.
constexpr std::string_view kPrologixUsbVersion = "Prologix GPIB-USB Controller version 6.107";
constexpr std::string_view kPrologixEthernetVersion =
    "Prologix GPIB-ETHERNET Controller version 01.06.06.00";
constexpr std::string_view kAr488Version = "AR488 GPIB controller, ver. 0.53.04, 13/04/2025";

class EmulatedAdapter {
public:
    // `version` is what "++ver" answers (an AR488 user may have set a text of their own).
    EmulatedAdapter(adapter::Kind kind, std::string version, Bench& bench,
                    std::shared_ptr<Clock> clock);

    // The host opened the serial port: an Arduino resets (DTR) and hears nothing for a while.
    void Opened();
    // Bytes from the host, as they arrive.
    void Receive(std::string_view bytes);
    // Bytes that arrived while the adapter was busy with the last line on the bus: an AR488
    // keeps what its 64-byte input holds and loses the rest.
    void ReceivedWhileBusy(std::string_view bytes);
    // The last line received kept the adapter on the bus for a while.
    bool Busy() const { return busy_; }
    // What the adapter has sent back since the last call.
    std::string TakeOutput();

    // Faults and set-ups to test against.
    void SetResetSeconds(double seconds) { resetSeconds_ = seconds; }
    void SetLosesInput(bool loses) { losesInput_ = loses; }
    // The n-th "++read" (counted from 1) finds the adapter unplugged.
    void UnplugAtRead(int n) { unplugAtRead_ = n; }
    void UnplugAtNextRead() { unplugAtRead_ = reads_ + 1; }
    bool Unplugged() const { return unplugged_; }
    // The instrument at `pad` answers `seconds` after the message that asked.
    void SlowDown(int pad, double seconds) { slowness_[pad] = seconds; }
    void SetVerbose(bool on) { settings_.verbose = on; }

private:
    struct Settings {
        int mode = 1;
        int pad = 0;
        int sad = 0;
        int autoRead = 0;
        int eoi = 1;
        int eos = 0;
        int eotEnable = 0;
        int eotChar = 0;
        int readTimeoutMs = 500;
        int saveConfig = 1;
        int eor = 0;
        bool verbose = false;
    };
    static Settings PowerOn(adapter::Kind kind);

    void Take(std::string_view bytes);
    void Execute(const adapter::HostLine& line);
    void Command(const std::string& name, const std::string& argument);
    // A setting taken or asked: false when `name` is none.
    bool Setting(const std::string& name, const std::string& argument);
    void Data(const std::string& bytes);
    void Read(const std::string& how);
    void SerialPoll(const std::string& argument);
    void FindListeners(const std::string& argument);
    void Reply(const std::string& text);
    void Send(const std::string& bytes);
    // The bench's descriptor for an address, with the adapter's EOI setting.
    int Device(int pad, int sad);
    // When the answer of the instrument at `pad` can be read, its slowness counted.
    std::optional<double> AnswerReadyAt(int pad) const;
    bool Deaf() const;

    adapter::Kind kind_;
    std::string version_;
    Bench& bench_;
    std::shared_ptr<Clock> clock_;
    Settings settings_;
    adapter::HostLines lines_;
    // The bench's descriptor for each address (primary, secondary), as it was last set.
    struct BenchDevice {
        int ud;
        int eoi;
    };
    std::map<std::pair<int, int>, BenchDevice> devices_;
    std::map<int, double> slowness_;       // by address
    std::map<int, double> lastMessageAt_;  // by address
    std::string output_;
    double deafUntil_ = -1;
    double resetSeconds_;
    bool losesInput_;
    bool busy_ = false;
    std::optional<std::size_t> room_;  // what may still wait behind a busy line
    int reads_ = 0;
    int unplugAtRead_ = 0;
    bool unplugged_ = false;
};

}  // namespace bench
