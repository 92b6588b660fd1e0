// A Prologix or AR488 adapter in front of the bench's instruments, written from the adapters'
// manuals and from what the AR488's own firmware (0.53.04) does: it takes the host's bytes as the
// adapter does, acts on the bus through the bench's calls and answers in the adapter's own words.
// It runs on a clock of its own that is ahead of the host's while the adapter is busy on the bus,
// so that what the host sends meanwhile waits in the adapter's input as it would on a real one.
// The bench's trace shows the host's lines (host>), what went back (host<) and the bus messages.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench/bench.h"
#include "bench/emulator/adapter_clock.h"
#include "bench/emulator/line_reader.h"
#include "bench/emulator/usb_serial_chip.h"

namespace bench {

enum class AdapterModel { PrologixUsb, PrologixEthernet, Ar488 };

// What "++ver" answers, by model.
constexpr std::string_view kPrologixUsbVersion = "Prologix GPIB-USB Controller version 6.107";
constexpr std::string_view kPrologixEthernetVersion =
    "Prologix GPIB-ETHERNET Controller version 01.06.06.00";
constexpr std::string_view kAr488Version = "AR488 GPIB controller, ver. 0.53.04, 13/04/2025";

// What sets one adapter apart from another of its model.
struct AdapterTraits {
    std::string version;         // "++ver" answers this instead of the model's own text
    double resetSeconds = -1;    // deaf after its port opens; < 0: the model's own (1.5 s AR488)
    bool losesInput = true;      // AR488: 64 bytes wait behind a busy line, the rest is lost
    double latency = 0;          // the latency timer of its USB serial chip, in seconds
    bool findsListeners = true;  // AR488: firmware that has "++fndl"
    bool greets = false;         // AR488: firmware built to greet when it starts
    bool verbose = false;        // AR488: left echoing
    // Settings kept in its memory, as "++<name> <value>" would set them (e.g. "flags" "6").
    std::map<std::string, std::string> saved;
};

class EmulatedAdapter {
public:
    EmulatedAdapter(AdapterModel model, AdapterTraits traits, Bench& bench,
                    std::shared_ptr<AdapterClock> clock);

    // The host opened the serial port: an Arduino resets (DTR) and hears nothing for a while.
    void Opened();
    // Bytes from the host, arriving now (the host's time).
    void Receive(std::string_view bytes);
    // What has reached the host by now, and when more will.
    std::string TakeOutput();
    std::optional<double> NextOutputAt() const { return chip_.NextRelease(); }
    bool Unplugged() const { return unplugged_; }

    // Faults to test against.
    // The n-th "++read" (counted from 1) finds the adapter unplugged.
    void UnplugAtRead(int n) { unplugAtRead_ = n; }
    void UnplugAtNextRead() { unplugAtRead_ = reads_ + 1; }
    // The instrument at `pad` answers `seconds` after the message that asked.
    void SlowDown(int pad, double seconds) { slowness_[pad] = seconds; }
    // The instrument at `pad` gives its answer one byte every `seconds`.
    void Trickle(int pad, double seconds) { trickle_[pad] = seconds; }
    // After each message it is sent, the instrument at `pad` holds NRFD for `seconds`: the bus
    // takes nothing meanwhile.
    void HoldNrfd(int pad, double seconds) { nrfdHold_[pad] = seconds; }
    // Something that listens at a secondary address (96 to 126) of `pad`, such as a multimeter.
    void ListenAtSecondary(int pad, int sad) { secondaryListeners_.insert({pad, sad}); }
    // How often the adapter wrote its settings to its memory ("++savecfg").
    int MemoryWrites() const { return memoryWrites_; }

private:
    static constexpr int kNoSecondary = -1;
    using BusAddress = std::pair<int, int>;  // primary, secondary (kNoSecondary for none)

    struct Settings {
        int mode = 1;  // 1 controller, 0 device
        int pad = 0;
        int sad = kNoSecondary;  // 96..126
        int autoRead = 0;
        int eoi = 1;
        int eos = 0;
        int eotEnable = 0;
        int eotChar = 0;
        int readTimeoutMs = 500;
        int saveConfig = 1;
        int eor = 0;
        int flags = 0;  // AR488: 1 "AR488~RDY" at start, 2 "Read^OK", 4 "Send^OK"
        int idn = 0;    // AR488: answers "*idn?" itself
        std::string versionText;
    };
    // How a setting is asked and set over "++<name> [value]".
    struct SettingRule {
        const char* name;
        int Settings::*value;
        int low;
        int high;
        bool asked;  // the model answers "++<name>" without a value
    };

    bool Ar488() const { return model_ == AdapterModel::Ar488; }
    // As the model leaves the factory (the AR488: its firmware's setDefaultCfg).
    Settings Defaults() const;
    // As it starts: its defaults, then what was kept in its memory.
    Settings PowerOn() const;
    std::vector<SettingRule> Rules() const;
    double ReadTimeout() const { return settings_.readTimeoutMs / 1000.0; }

    // Input, settings and commands (emulated_adapter.cpp).
    // Starts again, deaf for `seconds`.
    void Restart(double seconds);
    // False when the byte was lost.
    bool Arrive(char byte, double at);
    void Take(char byte);
    void Execute(const HostLine& line);
    void PrintAt(const std::string& text, double at);
    void Print(const std::string& text);
    void PrintLine(const std::string& text) { Print(text + "\r\n"); }
    void Command(const std::string& name, const std::optional<std::string>& params);
    bool Ar488Command(const std::string& name, const std::optional<std::string>& params);
    bool PrologixCommand(const std::string& name, const std::optional<std::string>& params);
    bool Setting(const std::string& name, const std::optional<std::string>& params);
    void Address(const std::optional<std::string>& params);
    void Version(const std::optional<std::string>& params);

    // The bus (emulated_transfers.cpp).
    // The commands that act on the bus; false for none of them.
    bool BusCommand(const std::string& name, const std::optional<std::string>& params);
    // One handshake phase of `bytes` bytes: false when it timed out (a held or an empty bus).
    bool Handshake(int bytes);
    // Listen or talk addresses (UNL, UNT, then the address): false when the bus took none.
    bool Addressed(int sad) { return Handshake(sad == kNoSecondary ? 3 : 4); }
    // UNL and UNT: nobody is addressed.
    void Unaddress();
    // The bench's descriptor for an address, with the adapter's EOI setting.
    int Device(int pad, int sad);
    void Data(const std::string& bytes, bool more);
    void Read(const std::optional<std::string>& params);
    // How a read ends: at EOI, at a byte, at the AR488's terminator (++eor), else at the time-out.
    struct ReadEnd {
        bool eoi = false;
        std::optional<char> byte;
        std::optional<int> eor;
        bool markEoi = true;  // the end-of-transmission character follows an EOI seen
    };
    ReadEnd Ar488End(bool eoiAsked, std::optional<char> byte) const;
    void ReadFrom(int pad, int sad, const ReadEnd& end);
    std::optional<double> AnswerReadyAt(int pad) const;
    void SerialPoll(const std::optional<std::string>& params);
    void Ar488SerialPoll(const std::optional<std::string>& params);
    void FindListeners(const std::optional<std::string>& params);
    std::string ListenersAt(int pad, const std::set<int>& listening);
    bool BusHasListeners() const;
    // Sends a command to the current address: clear, trigger, go to local.
    void ToAddressed(const std::string& name);

    AdapterModel model_;
    AdapterTraits traits_;
    Bench& bench_;
    std::shared_ptr<AdapterClock> clock_;
    Settings settings_;
    LineReader lines_;
    UsbSerialChip chip_;
    bool verbose_;
    // Whom the AR488 takes for addressed to listen, so that data goes there unaddressed.
    std::optional<BusAddress> listenAddressed_;
    double deafUntil_ = -1;
    double lineFreeAt_ = 0;       // when the serial line from the host has carried its last byte
    std::deque<double> waiting_;  // when each byte still waiting in the AR488's input is read
    // The bench's descriptor for each address (primary, secondary), and the EOI it was given.
    std::map<std::pair<int, int>, std::pair<int, int>> devices_;
    std::map<int, double> slowness_;
    std::map<int, double> trickle_;
    std::map<int, double> nrfdHold_;
    std::map<int, double> lastMessageAt_;
    std::set<std::pair<int, int>> secondaryListeners_;
    double nrfdHeldUntil_ = -1;
    int reads_ = 0;
    int unplugAtRead_ = 0;
    bool unplugged_ = false;
    int memoryWrites_ = 0;
};

}  // namespace bench
