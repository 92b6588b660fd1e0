// The C names that linux-gpib's user library exports, and the status variables, over a driver
// made from the environment at first use; built only into the driver libraries.
#include "driver/driver_exports.h"

#include <mutex>

#include "driver/driver_api.h"
#include "driver/error_text.h"

using Addr4882 = std::uint16_t;
using driver::Driver;

// The process-wide status that programs written for the real library read directly.
extern "C" {
volatile int ibsta = 0;
volatile int iberr = 0;
volatile int ibcnt = 0;
volatile long ibcntl = 0;
}

namespace driver::exports {

void EnsureDriver() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (!Current()) library::InstallFromEnvironment();
    });
}

void BeginCall() {
    EnsureDriver();
    if (!Current()) library::NoDriverCall();
}

void PublishStatus() {
    ibsta = api::ThreadIbsta();
    iberr = api::ThreadIberr();
    ibcnt = api::ThreadIbcnt();
    ibcntl = api::ThreadIbcntl();
}

}  // namespace driver::exports

namespace {
using driver::exports::Forward;

// A call on the driver itself, with the process-wide status refreshed after it.
template <class Call>
int OnDriver(Call call) {
    return Forward([&] { return driver::OnDriver(call); });
}

template <class Call>
void OnDriverVoid(Call call) {
    Forward([&] {
        if (Driver* driver = driver::Current()) call(*driver);
    });
}

int Unsupported(const char* call, int ud) {
    return OnDriver([&](Driver& b) { return b.Unsupported(call, ud); });
}

int Option(const char* call, int ud, int option, int v) {
    return OnDriver([&](Driver& b) { return b.SetOption(call, ud, option, v); });
}
}  // namespace

extern "C" {

// The calls Pulvar itself makes, shared with the in-process entry points.
void DRIVER_CALL SendIFC(int board) {
    Forward([&] { driver::api::SendIFC(board); });
}
int DRIVER_CALL ibsre(int ud, int v) {
    return Forward([&] { return driver::api::ibsre(ud, v); });
}
void DRIVER_CALL FindLstn(int board, const Addr4882* pads, Addr4882* results, int limit) {
    Forward([&] { driver::api::FindLstn(board, pads, results, limit); });
}
int DRIVER_CALL ibdev(int board, int pad, int sad, int tmo, int eot, int eos) {
    return Forward([&] { return driver::api::ibdev(board, pad, sad, tmo, eot, eos); });
}
int DRIVER_CALL ibpad(int ud, int pad) {
    return Forward([&] { return driver::api::ibpad(ud, pad); });
}
int DRIVER_CALL ibclr(int ud) {
    return Forward([&] { return driver::api::ibclr(ud); });
}
int DRIVER_CALL ibrsp(int ud, char* spr) {
    return Forward([&] { return driver::api::ibrsp(ud, spr); });
}
int DRIVER_CALL ibwrt(int ud, const void* buf, long count) {
    return Forward([&] { return driver::api::ibwrt(ud, buf, count); });
}
int DRIVER_CALL ibrd(int ud, void* buf, long count) {
    return Forward([&] { return driver::api::ibrd(ud, buf, count); });
}
int DRIVER_CALL ibtmo(int ud, int v) {
    return Forward([&] { return driver::api::ibtmo(ud, v); });
}
int DRIVER_CALL ibwait(int ud, int mask) {
    return Forward([&] { return driver::api::ibwait(ud, mask); });
}
int DRIVER_CALL ibask(int ud, int option, int* v) {
    return Forward([&] { return driver::api::ibask(ud, option, v); });
}

// The calling thread's status (one thread's worth: the driver keeps one status).
int DRIVER_CALL ThreadIbsta() {
    driver::exports::EnsureDriver();
    return driver::api::ThreadIbsta();
}
int DRIVER_CALL ThreadIberr() {
    driver::exports::EnsureDriver();
    return driver::api::ThreadIberr();
}
int DRIVER_CALL ThreadIbcnt() {
    driver::exports::EnsureDriver();
    return driver::api::ThreadIbcnt();
}
long DRIVER_CALL ThreadIbcntl() {
    driver::exports::EnsureDriver();
    return driver::api::ThreadIbcntl();
}
// Asynchronous transfers finish before their call returns: their status is the last call's.
int DRIVER_CALL AsyncIbsta() {
    return ThreadIbsta();
}
int DRIVER_CALL AsyncIberr() {
    return ThreadIberr();
}
int DRIVER_CALL AsyncIbcnt() {
    return ThreadIbcnt();
}
long DRIVER_CALL AsyncIbcntl() {
    return ThreadIbcntl();
}

// Descriptors and their options.
int DRIVER_CALL ibconfig(int ud, int option, int v) {
    return OnDriver([&](Driver& b) { return b.ibconfig(ud, option, v); });
}
int DRIVER_CALL ibsad(int ud, int v) {
    return Option("ibsad", ud, driver::option::SAD, v);
}
int DRIVER_CALL ibeot(int ud, int v) {
    return Option("ibeot", ud, driver::option::EOT, v);
}
int DRIVER_CALL ibrsc(int ud, int v) {
    return Option("ibrsc", ud, driver::option::SC, v);
}
int DRIVER_CALL ibist(int ud, int v) {
    return Option("ibist", ud, driver::option::Ist, v);
}
int DRIVER_CALL ibrsv(int ud, int v) {
    return Option("ibrsv", ud, driver::option::Rsv, v);
}
int DRIVER_CALL ibdma(int ud, int v) {
    return Option("ibdma", ud, driver::option::DMA, v);
}
int DRIVER_CALL ibppc(int ud, int v) {
    return Option("ibppc", ud, driver::option::PPC, v);
}
int DRIVER_CALL ibeos(int ud, int v) {
    return OnDriver([&](Driver& b) { return b.ibeos(ud, v); });
}
int DRIVER_CALL ibfind(const char* name) {
    const std::string text = name ? name : "";
    const int ud = OnDriver([&](Driver& b) { return b.ibfind(text); });
    return driver::Current() ? ud : -1;
}
int DRIVER_CALL ibbna(int ud, const char* name) {
    const std::string text = name ? name : "";
    return OnDriver([&](Driver& b) { return b.ibbna(ud, text); });
}
int DRIVER_CALL ibonl(int ud, int online) {
    return OnDriver([&](Driver& b) { return b.ibonl(ud, online); });
}

// The bus.
int DRIVER_CALL ibln(int ud, int pad, int sad, short* found) {
    return OnDriver([&](Driver& b) { return b.ibln(ud, pad, sad, found); });
}
int DRIVER_CALL ibcmd(int ud, const void* cmd, long count) {
    return OnDriver([&](Driver& b) { return b.ibcmd(ud, cmd, count); });
}
int DRIVER_CALL ibloc(int ud) {
    return OnDriver([&](Driver& b) { return b.ibloc(ud); });
}
int DRIVER_CALL ibtrg(int ud) {
    return OnDriver([&](Driver& b) { return b.ibtrg(ud); });
}
int DRIVER_CALL ibrpp(int ud, char* ppr) {
    return OnDriver([&](Driver& b) { return b.ibrpp(ud, ppr); });
}
int DRIVER_CALL ibspb(int ud, short* count) {
    return OnDriver([&](Driver& b) { return b.ibspb(ud, count); });
}
int DRIVER_CALL ibsic(int ud) {
    return OnDriver([&](Driver& b) {
        b.SendIFC(ud);
        return b.LastStatus().ibsta;
    });
}
// Every transfer has finished when its call returns, so the asynchronous forms
// are the synchronous ones with CMPL already set, and there is nothing to stop or wait for.
int DRIVER_CALL ibrda(int ud, void* buf, long count) {
    return ibrd(ud, buf, count);
}
int DRIVER_CALL ibwrta(int ud, const void* buf, long count) {
    return ibwrt(ud, buf, count);
}
int DRIVER_CALL ibcmda(int ud, const void* cmd, long count) {
    return ibcmd(ud, cmd, count);
}
int DRIVER_CALL ibstop(int ud) {
    return OnDriver([&](Driver& b) { return b.Accept("ibstop", ud); });
}
int DRIVER_CALL ibgts(int ud, int) {
    return OnDriver([&](Driver& b) { return b.Accept("ibgts", ud); });
}
int DRIVER_CALL ibcac(int ud, int) {
    return OnDriver([&](Driver& b) { return b.Accept("ibcac", ud); });
}
// Features the driver does not have.
int DRIVER_CALL ibpct(int ud) {
    return Unsupported("ibpct", ud);
}
int DRIVER_CALL ibevent(int ud, short*) {
    return Unsupported("ibevent", ud);
}
int DRIVER_CALL iblines(int ud, short*) {
    return Unsupported("iblines", ud);
}
int DRIVER_CALL ibrdf(int ud, const char*) {
    return Unsupported("ibrdf", ud);
}
int DRIVER_CALL ibwrtf(int ud, const char*) {
    return Unsupported("ibwrtf", ud);
}
int DRIVER_CALL ibrsv2(int ud, int, int) {
    return Unsupported("ibrsv2", ud);
}

// The 488.2 routines.
void DRIVER_CALL Send(int board, Addr4882 address, const void* buf, long count, int eotMode) {
    OnDriverVoid([&](Driver& b) { b.Send(board, address, buf, count, eotMode); });
}
void DRIVER_CALL Receive(int board, Addr4882 address, void* buf, long count, int termination) {
    OnDriverVoid([&](Driver& b) { b.Receive(board, address, buf, count, termination); });
}
void DRIVER_CALL SendCmds(int board, const void* cmds, long count) {
    OnDriverVoid([&](Driver& b) { b.ibcmd(board, cmds, count); });
}
void DRIVER_CALL DevClear(int board, Addr4882 address) {
    OnDriverVoid([&](Driver& b) { b.DevClear(board, address); });
}
void DRIVER_CALL DevClearList(int board, const Addr4882* addresses) {
    OnDriverVoid([&](Driver& b) { b.DevClearList(board, addresses); });
}
void DRIVER_CALL ReadStatusByte(int board, Addr4882 address, short* result) {
    OnDriverVoid([&](Driver& b) { b.ReadStatusByte(board, address, result); });
}
void DRIVER_CALL AllSpoll(int board, const Addr4882* addresses, short* results) {
    OnDriverVoid([&](Driver& b) { b.AllSpoll(board, addresses, results); });
}
void DRIVER_CALL AllSPoll(int board, const Addr4882* addresses, short* results) {
    AllSpoll(board, addresses, results);
}
void DRIVER_CALL Trigger(int board, Addr4882 address) {
    OnDriverVoid([&](Driver& b) { b.Trigger(board, address); });
}
void DRIVER_CALL TriggerList(int board, const Addr4882* addresses) {
    OnDriverVoid([&](Driver& b) { b.TriggerList(board, addresses); });
}
void DRIVER_CALL EnableRemote(int board, const Addr4882* addresses) {
    OnDriverVoid([&](Driver& b) { b.EnableRemote(board, addresses); });
}
void DRIVER_CALL EnableLocal(int board, const Addr4882* addresses) {
    OnDriverVoid([&](Driver& b) { b.EnableLocal(board, addresses); });
}
// 488.2 routines for features the driver does not have: ERR with ECAP.
void DRIVER_CALL FindRQS(int board, const Addr4882*, short*) {
    Unsupported("FindRQS", board);
}
void DRIVER_CALL PPoll(int board, short*) {
    Unsupported("PPoll", board);
}
void DRIVER_CALL PPollConfig(int board, Addr4882, int, int) {
    Unsupported("PPollConfig", board);
}
void DRIVER_CALL PPollUnconfig(int board, const Addr4882*) {
    Unsupported("PPollUnconfig", board);
}
void DRIVER_CALL PassControl(int board, Addr4882) {
    Unsupported("PassControl", board);
}
void DRIVER_CALL RcvRespMsg(int board, void*, long, int) {
    Unsupported("RcvRespMsg", board);
}
void DRIVER_CALL ReceiveSetup(int board, Addr4882) {
    Unsupported("ReceiveSetup", board);
}
void DRIVER_CALL ResetSys(int board, const Addr4882*) {
    Unsupported("ResetSys", board);
}
void DRIVER_CALL SendDataBytes(int board, const void*, long, int) {
    Unsupported("SendDataBytes", board);
}
void DRIVER_CALL SendLLO(int board) {
    Unsupported("SendLLO", board);
}
void DRIVER_CALL SendList(int board, const Addr4882*, const void*, long, int) {
    Unsupported("SendList", board);
}
void DRIVER_CALL SendSetup(int board, const Addr4882*) {
    Unsupported("SendSetup", board);
}
void DRIVER_CALL SetRWLS(int board, const Addr4882*) {
    Unsupported("SetRWLS", board);
}
void DRIVER_CALL TestSRQ(int board, short*) {
    Unsupported("TestSRQ", board);
}
void DRIVER_CALL TestSys(int board, const Addr4882*, short*) {
    Unsupported("TestSys", board);
}
void DRIVER_CALL WaitSRQ(int board, short*) {
    Unsupported("WaitSRQ", board);
}

// Texts and the configuration reader.
const char* DRIVER_CALL gpib_error_string(int error) {
    return driver::ErrorText(error);
}
void DRIVER_CALL ibvers(char** version) {
    if (version) *version = const_cast<char*>(driver::library::VersionText());
}
// A driver of ours has no configuration file to read.
int DRIVER_CALL parse_gpib_conf(const char*, void*, unsigned int, void*, unsigned int) {
    return -1;
}

}  // extern "C"
