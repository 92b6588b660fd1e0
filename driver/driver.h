// A driver library's calls over any bus: the board and device descriptors with their options,
// the status of each call, the registration of status variables, and the trace.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "driver/bus.h"
#include "driver/clock.h"
#include "driver/descriptor.h"
#include "driver/status.h"
#include "driver/trace.h"

namespace driver {

class Driver {
public:
    static constexpr int kBoard = 0;         // the one board; its descriptor is its index
    static constexpr int kFirstDevice = 16;  // device descriptors count up from here

    // `name` starts the driver's lines on standard error, e.g. "gpib bench".
    Driver(std::string name, std::shared_ptr<Clock> clock, std::unique_ptr<Bus> bus);
    virtual ~Driver();
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    void SetRegisterResult(int result) { registerResult_ = result; }
    // Appends every later trace line to `path`; says so on standard error when it cannot.
    void SetTraceFile(const std::string& path);
    const std::vector<std::string>& TraceLines() const { return trace_.Lines(); }
    // Trace lines kept for TraceLines() (the default), or only in the trace file.
    void KeepTraceLines(bool keep) { trace_.KeepLines(keep); }
    // A line of the trace that is no call, e.g. what went to an adapter.
    void Note(std::string_view text);
    // Names that ibfind knows beside "gpib0" (the board): a descriptor for the address.
    void NameDevice(const std::string& name, int pad) { names_[name] = pad; }
    const std::string& Name() const { return name_; }

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
    // A descriptor-level call with nothing to do on the bus: succeeds for any descriptor.
    int Accept(const std::string& call, int ud);
    // A call whose feature the driver does not have: ERR with ECAP (EDVR for a bad descriptor).
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
    void Send(int board, Address address, const void* buf, long count, int eotMode);
    void Receive(int board, Address address, void* buf, long count, int termination);
    void DevClear(int board, Address address);
    void DevClearList(int board, const Address* addresses);
    void ReadStatusByte(int board, Address address, short* result);
    void AllSpoll(int board, const Address* addresses, short* results);
    void Trigger(int board, Address address);
    void TriggerList(int board, const Address* addresses);
    void EnableRemote(int board, const Address* addresses);
    void EnableLocal(int board, const Address* addresses);

    const Status& LastStatus() const { return status_; }

protected:
    Bus& TheBus() const { return *bus_; }

private:
    Descriptor* Find(int ud);
    // The descriptor of a device (not the board), or the error of using `ud` as one.
    Descriptor* FindDevice(int ud, Outcome& error);
    std::string PadText(int ud);

    Outcome SearchListeners(int board, const std::uint16_t* pads, std::uint16_t* results, int limit,
                            std::string& found);
    Outcome Open(int board, int pad, int sad, int tmo, int eot, int eos, int& ud);
    Outcome Write(int ud, std::string_view bytes, long count);
    Outcome Read(int ud, void* buf, long count, std::string& data);
    Outcome Clear(int ud);
    Outcome Poll(int ud, char* spr);
    Outcome Ask(int ud, int option, int* value);
    Outcome BoardOnly(int ud);
    // The bus's act on the board, once `ud` is known to be the board's: with CIC.
    template <class Act>
    Outcome OnBoard(int ud, Act act);
    // The bus's act on the device of `ud`, once it is known to be a device's.
    template <class Act>
    Outcome OnDevice(int ud, Act act);
    Outcome AnyDescriptor(int ud);
    // Success, with CIC when the descriptor is the board's.
    static Outcome Done(const Descriptor& descriptor);
    Outcome Configure(int ud, int option, int value);
    Outcome FindListener(int ud, int pad, int sad, short* found);
    Outcome Command(int ud, std::string_view bytes);
    Outcome Triggered(int ud);
    Outcome SetRemoteEnable(int board, int value);
    // Runs `call` on a descriptor made for one address of the board, then drops it.
    template <class Call>
    Outcome AtAddress(int board, Address address, int eot, Call call);
    template <class Call>
    Outcome AtEachAddress(int board, const Address* addresses, Call call);

    // Leaves the outcome in the status, the registered variables and the trace.
    int Finish(const std::string& call, Outcome outcome);
    void Publish();
    double Elapsed() const { return clock_->Now() - start_; }

    std::string name_;
    std::shared_ptr<Clock> clock_;
    double start_;
    std::unique_ptr<Bus> bus_;
    Descriptor board_ = Descriptor::Board();
    std::map<int, Descriptor> devices_;
    std::map<std::string, int> names_;
    int nextDevice_ = kFirstDevice;

    int registerResult_ = 0;

    Status status_;
    int* registeredSta_ = nullptr;
    int* registeredErr_ = nullptr;
    int* registeredCnt_ = nullptr;
    long* registeredCntl_ = nullptr;

    Trace trace_;
};

template <class Act>
Outcome Driver::OnBoard(int ud, Act act) {
    if (const Outcome notBoard = BoardOnly(ud); notBoard.err) return notBoard;
    Outcome outcome = act();
    outcome.sta |= CIC;
    return outcome;
}

template <class Act>
Outcome Driver::OnDevice(int ud, Act act) {
    Outcome error;
    const Descriptor* device = FindDevice(ud, error);
    return device ? act(*device) : error;
}

}  // namespace driver
