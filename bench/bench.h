// The simulated bus: board 0 as controller, instruments at primary addresses 1..30, the
// descriptors, fault injection, and the driver's calls acting on them.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/clock.h"
#include "bench/descriptor.h"
#include "bench/instrument.h"
#include "bench/status.h"
#include "bench/trace.h"

namespace bench {

class StateFile;

class Bench {
public:
    static constexpr int kBoard = 0;         // the one board; its descriptor is its index
    static constexpr int kFirstDevice = 16;  // device descriptors count up from here

    explicit Bench(std::shared_ptr<Clock> clock);
    ~Bench();
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    // An instrument at primary address 1..30, replacing any there.
    void Attach(int pad, std::unique_ptr<Instrument> instrument);
    Instrument* At(int pad) const;

    // Faults. `messages` counts writes that reach the instrument; after that many it is gone
    // from the bus: writes, clears and polls fail with ENOL, reads time out.
    void SetRegisterResult(int result) { registerResult_ = result; }
    void FailFindLstn(int iberr) { findLstnError_ = iberr; }
    void UnplugAfter(int pad, int messages);
    void RefuseWrites(int pad, int iberr);

    void SetTraceFile(const std::string& path) { trace_.SetFile(path); }
    const std::vector<std::string>& TraceLines() const { return trace_.Lines(); }
    // Restores the attached supplies' settings kept in `path` and keeps them there from now on.
    void SetStateFile(const std::string& path);

    // Names that ibfind knows beside "gpib0" (the board): a descriptor for the address.
    void NameDevice(const std::string& name, int pad) { names_[name] = pad; }

    // The driver's calls. After a successful call iberr keeps its former value, as the real
    // library leaves it undefined then; only calls that move data change the count.
    void SendIFC(int board);
    int ibsre(int ud, int v);
    void FindLstn(int board, const std::uint16_t* pads, std::uint16_t* results, int limit);
    int ibdev(int board, int pad, int sad, int tmo, int eot, int eos);
    int ibpad(int ud, int pad);
    int ibclr(int ud);
    int ibrsp(int ud, char* spr);
    int ibwrt(int ud, const void* buf, long count);
    int ibrd(int ud, void* buf, long count);
    int ibtmo(int ud, int code);
    int ibwait(int ud, int mask);
    int ibask(int ud, int option, int* value);
    int RegisterGpibGlobalsForThread(int* sta, int* err, int* cnt, long* cntl);
    int UnregisterGpibGlobalsForThread();

    // Descriptors and their options.
    int ibconfig(int ud, int option, int value);
    // A call that sets one option, e.g. ibeot or ibsad; traced under `call`.
    int SetOption(const std::string& call, int ud, int option, int value);
    int ibeos(int ud, int v);
    int ibfind(const std::string& name);
    int ibbna(int ud, const std::string& boardName);
    int ibonl(int ud, int online);
    // A descriptor-level call with nothing to do on the bench: succeeds for any descriptor.
    int Accept(const std::string& call, int ud);
    // A call whose feature the bench does not have: ERR with ECAP (EDVR for a bad descriptor).
    int Unsupported(const std::string& call, int ud);

    // Bus-level calls.
    int ibln(int ud, int pad, int sad, short* found);
    int ibcmd(int ud, const void* cmd, long count);
    int ibloc(int ud);
    int ibtrg(int ud);
    int ibrpp(int ud, char* ppr);
    int ibspb(int ud, short* count);

    // The 488.2 routines that name devices by address (primary in the low byte, secondary in
    // the high byte) instead of by descriptor.
    void Send(int board, std::uint16_t address, const void* buf, long count, int eotMode);
    void Receive(int board, std::uint16_t address, void* buf, long count, int termination);
    void DevClear(int board, std::uint16_t address);
    void DevClearList(int board, const std::uint16_t* addresses);
    void ReadStatusByte(int board, std::uint16_t address, short* result);
    void AllSpoll(int board, const std::uint16_t* addresses, short* results);
    void Trigger(int board, std::uint16_t address);
    void TriggerList(int board, const std::uint16_t* addresses);
    void EnableRemote(int board, const std::uint16_t* addresses);
    void EnableLocal(int board, const std::uint16_t* addresses);

    const Status& LastStatus() const { return status_; }

private:
    struct Slot {
        std::unique_ptr<Instrument> instrument;
        std::optional<int> messagesLeft;  // unplugged when it reaches 0
        std::optional<int> refusal;       // iberr of every write
    };
    // What a call did to the status; iberr and the count stay unless given.
    struct Outcome {
        int sta = CMPL;
        std::optional<int> err;
        std::optional<long> count;
    };
    static Outcome Failed(int iberr, std::optional<long> count = std::nullopt, int moreBits = 0) {
        return {ERR | CMPL | moreBits, iberr, count};
    }

    // The slot of an instrument address; other addresses are a mistake of the caller.
    Slot& InstrumentSlot(int pad);
    Descriptor* Find(int ud);
    // The descriptor of a device (not the board), or the error of using `ud` as one.
    Descriptor* FindDevice(int ud, Outcome& error);
    // The instrument a device descriptor reaches, when it is on the bus and listening.
    Instrument* Listener(const Descriptor& device);
    bool IsListening(int pad) const;
    bool AnyListener() const;
    std::string PadText(int ud);

    Outcome SearchListeners(int board, const std::uint16_t* pads, std::uint16_t* results, int limit,
                            std::string& found);
    Outcome Open(int board, int pad, int sad, int tmo, int eot, int eos, int& ud);
    Outcome Write(int ud, std::string_view bytes, long count);
    Outcome Read(int ud, void* buf, long count, std::string& data);
    Outcome TimedOut(const Descriptor& device);
    Outcome Clear(int ud);
    Outcome Poll(int ud, char* spr);
    Outcome Ask(int ud, int option, int* value);
    Outcome BoardOnly(int ud);
    Outcome AnyDescriptor(int ud);
    // Success, with CIC when the descriptor is the board's.
    static Outcome Done(const Descriptor& descriptor);
    Outcome Configure(int ud, int option, int value);
    Outcome FindListener(int ud, int pad, int sad, short* found);
    Outcome Command(int ud, std::string_view bytes);
    // The device's instrument is there and listening: success, else ENOL.
    Outcome Reach(int ud);
    Outcome SetRemoteEnable(int board, int value);
    // Runs `call` on a descriptor made for one address of the board, then drops it.
    template <class Call>
    Outcome AtAddress(int board, std::uint16_t address, int eot, Call call);
    template <class Call>
    Outcome AtEachAddress(int board, const std::uint16_t* addresses, Call call);
    // A write reached the instrument at `pad`: count it and keep its settings.
    void Delivered(int pad);

    // Leaves the outcome in the status, the registered variables and the trace.
    int Finish(const std::string& call, const Outcome& outcome);
    void Publish();
    double Elapsed() const { return clock_->Now() - start_; }

    std::shared_ptr<Clock> clock_;
    double start_;
    std::array<Slot, kHighestPad + 1> slots_;
    Descriptor board_ = Descriptor::Board();
    std::map<int, Descriptor> devices_;
    std::map<std::string, int> names_;
    // Addressed to listen by the board's command bytes (ibcmd), for a later SDC or GTL.
    std::array<bool, kHighestPad + 1> addressedToListen_{};
    int nextDevice_ = kFirstDevice;

    int registerResult_ = 0;
    std::optional<int> findLstnError_;

    Status status_;
    int* registeredSta_ = nullptr;
    int* registeredErr_ = nullptr;
    int* registeredCnt_ = nullptr;
    long* registeredCntl_ = nullptr;

    Trace trace_;
    std::unique_ptr<StateFile> stateFile_;
};

}  // namespace bench
