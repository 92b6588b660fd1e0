// The C names that linux-gpib's user library exports, and the status variables, over a bench
// made from the environment at first use; built only into the stand-in driver libraries.
#include "bench/driver_exports.h"

#include <cstdio>
#include <mutex>

#include "bench/driver_api.h"
#include "bench/error_text.h"
#include "bench/setup.h"

using Addr4882 = std::uint16_t;
using bench::Bench;

// The process-wide status that programs written for the real library read directly.
extern "C" {
volatile int ibsta = 0;
volatile int iberr = 0;
volatile int ibcnt = 0;
volatile long ibcntl = 0;
}

namespace bench::exports {

void EnsureBench() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (!Current()) InstallFromEnvironment();
    });
}

void BeginCall() {
    EnsureBench();
    if (!Current())
        std::fputs("failed to open configuration file\nlibgpib: invalid descriptor\n", stderr);
}

void PublishStatus() {
    ibsta = api::ThreadIbsta();
    iberr = api::ThreadIberr();
    ibcnt = api::ThreadIbcnt();
    ibcntl = api::ThreadIbcntl();
}

}  // namespace bench::exports

namespace {
using bench::exports::Forward;

// A call on the bench itself, with the process-wide status refreshed after it.
template <class Call>
int OnBench(Call call) {
    return Forward([&] { return bench::OnBench(call); });
}

template <class Call>
void OnBenchVoid(Call call) {
    Forward([&] {
        if (Bench* bench = bench::Current()) call(*bench);
    });
}

int Unsupported(const char* call, int ud) {
    return OnBench([&](Bench& b) { return b.Unsupported(call, ud); });
}

int Option(const char* call, int ud, int option, int v) {
    return OnBench([&](Bench& b) { return b.SetOption(call, ud, option, v); });
}
}  // namespace

extern "C" {

// The calls Pulvar itself makes, shared with the in-process entry points.
void BENCH_CALL SendIFC(int board) {
    Forward([&] { bench::api::SendIFC(board); });
}
int BENCH_CALL ibsre(int ud, int v) {
    return Forward([&] { return bench::api::ibsre(ud, v); });
}
void BENCH_CALL FindLstn(int board, const Addr4882* pads, Addr4882* results, int limit) {
    Forward([&] { bench::api::FindLstn(board, pads, results, limit); });
}
int BENCH_CALL ibdev(int board, int pad, int sad, int tmo, int eot, int eos) {
    return Forward([&] { return bench::api::ibdev(board, pad, sad, tmo, eot, eos); });
}
int BENCH_CALL ibpad(int ud, int pad) {
    return Forward([&] { return bench::api::ibpad(ud, pad); });
}
int BENCH_CALL ibclr(int ud) {
    return Forward([&] { return bench::api::ibclr(ud); });
}
int BENCH_CALL ibrsp(int ud, char* spr) {
    return Forward([&] { return bench::api::ibrsp(ud, spr); });
}
int BENCH_CALL ibwrt(int ud, const void* buf, long count) {
    return Forward([&] { return bench::api::ibwrt(ud, buf, count); });
}
int BENCH_CALL ibrd(int ud, void* buf, long count) {
    return Forward([&] { return bench::api::ibrd(ud, buf, count); });
}
int BENCH_CALL ibtmo(int ud, int v) {
    return Forward([&] { return bench::api::ibtmo(ud, v); });
}
int BENCH_CALL ibwait(int ud, int mask) {
    return Forward([&] { return bench::api::ibwait(ud, mask); });
}
int BENCH_CALL ibask(int ud, int option, int* v) {
    return Forward([&] { return bench::api::ibask(ud, option, v); });
}

// The calling thread's status (one thread's worth: the bench keeps one status).
int BENCH_CALL ThreadIbsta() {
    bench::exports::EnsureBench();
    return bench::api::ThreadIbsta();
}
int BENCH_CALL ThreadIberr() {
    bench::exports::EnsureBench();
    return bench::api::ThreadIberr();
}
int BENCH_CALL ThreadIbcnt() {
    bench::exports::EnsureBench();
    return bench::api::ThreadIbcnt();
}
long BENCH_CALL ThreadIbcntl() {
    bench::exports::EnsureBench();
    return bench::api::ThreadIbcntl();
}
// Asynchronous transfers finish before their call returns: their status is the last call's.
int BENCH_CALL AsyncIbsta() {
    return ThreadIbsta();
}
int BENCH_CALL AsyncIberr() {
    return ThreadIberr();
}
int BENCH_CALL AsyncIbcnt() {
    return ThreadIbcnt();
}
long BENCH_CALL AsyncIbcntl() {
    return ThreadIbcntl();
}

// Descriptors and their options.
int BENCH_CALL ibconfig(int ud, int option, int v) {
    return OnBench([&](Bench& b) { return b.ibconfig(ud, option, v); });
}
int BENCH_CALL ibsad(int ud, int v) {
    return Option("ibsad", ud, bench::option::SAD, v);
}
int BENCH_CALL ibeot(int ud, int v) {
    return Option("ibeot", ud, bench::option::EOT, v);
}
int BENCH_CALL ibrsc(int ud, int v) {
    return Option("ibrsc", ud, bench::option::SC, v);
}
int BENCH_CALL ibist(int ud, int v) {
    return Option("ibist", ud, bench::option::Ist, v);
}
int BENCH_CALL ibrsv(int ud, int v) {
    return Option("ibrsv", ud, bench::option::Rsv, v);
}
int BENCH_CALL ibdma(int ud, int v) {
    return Option("ibdma", ud, bench::option::DMA, v);
}
int BENCH_CALL ibppc(int ud, int v) {
    return Option("ibppc", ud, bench::option::PPC, v);
}
int BENCH_CALL ibeos(int ud, int v) {
    return OnBench([&](Bench& b) { return b.ibeos(ud, v); });
}
int BENCH_CALL ibfind(const char* name) {
    const std::string text = name ? name : "";
    const int ud = OnBench([&](Bench& b) { return b.ibfind(text); });
    return bench::Current() ? ud : -1;
}
int BENCH_CALL ibbna(int ud, const char* name) {
    const std::string text = name ? name : "";
    return OnBench([&](Bench& b) { return b.ibbna(ud, text); });
}
int BENCH_CALL ibonl(int ud, int online) {
    return OnBench([&](Bench& b) { return b.ibonl(ud, online); });
}

// The bus.
int BENCH_CALL ibln(int ud, int pad, int sad, short* found) {
    return OnBench([&](Bench& b) { return b.ibln(ud, pad, sad, found); });
}
int BENCH_CALL ibcmd(int ud, const void* cmd, long count) {
    return OnBench([&](Bench& b) { return b.ibcmd(ud, cmd, count); });
}
int BENCH_CALL ibloc(int ud) {
    return OnBench([&](Bench& b) { return b.ibloc(ud); });
}
int BENCH_CALL ibtrg(int ud) {
    return OnBench([&](Bench& b) { return b.ibtrg(ud); });
}
int BENCH_CALL ibrpp(int ud, char* ppr) {
    return OnBench([&](Bench& b) { return b.ibrpp(ud, ppr); });
}
int BENCH_CALL ibspb(int ud, short* count) {
    return OnBench([&](Bench& b) { return b.ibspb(ud, count); });
}
int BENCH_CALL ibsic(int ud) {
    return OnBench([&](Bench& b) {
        b.SendIFC(ud);
        return b.LastStatus().ibsta;
    });
}
// Every transfer of the bench has finished when its call returns, so the asynchronous forms
// are the synchronous ones with CMPL already set, and there is nothing to stop or wait for.
int BENCH_CALL ibrda(int ud, void* buf, long count) {
    return ibrd(ud, buf, count);
}
int BENCH_CALL ibwrta(int ud, const void* buf, long count) {
    return ibwrt(ud, buf, count);
}
int BENCH_CALL ibcmda(int ud, const void* cmd, long count) {
    return ibcmd(ud, cmd, count);
}
int BENCH_CALL ibstop(int ud) {
    return OnBench([&](Bench& b) { return b.Accept("ibstop", ud); });
}
int BENCH_CALL ibgts(int ud, int) {
    return OnBench([&](Bench& b) { return b.Accept("ibgts", ud); });
}
int BENCH_CALL ibcac(int ud, int) {
    return OnBench([&](Bench& b) { return b.Accept("ibcac", ud); });
}
// Features the bench does not have.
int BENCH_CALL ibpct(int ud) {
    return Unsupported("ibpct", ud);
}
int BENCH_CALL ibevent(int ud, short*) {
    return Unsupported("ibevent", ud);
}
int BENCH_CALL iblines(int ud, short*) {
    return Unsupported("iblines", ud);
}
int BENCH_CALL ibrdf(int ud, const char*) {
    return Unsupported("ibrdf", ud);
}
int BENCH_CALL ibwrtf(int ud, const char*) {
    return Unsupported("ibwrtf", ud);
}
int BENCH_CALL ibrsv2(int ud, int, int) {
    return Unsupported("ibrsv2", ud);
}

// The 488.2 routines.
void BENCH_CALL Send(int board, Addr4882 address, const void* buf, long count, int eotMode) {
    OnBenchVoid([&](Bench& b) { b.Send(board, address, buf, count, eotMode); });
}
void BENCH_CALL Receive(int board, Addr4882 address, void* buf, long count, int termination) {
    OnBenchVoid([&](Bench& b) { b.Receive(board, address, buf, count, termination); });
}
void BENCH_CALL SendCmds(int board, const void* cmds, long count) {
    OnBenchVoid([&](Bench& b) { b.ibcmd(board, cmds, count); });
}
void BENCH_CALL DevClear(int board, Addr4882 address) {
    OnBenchVoid([&](Bench& b) { b.DevClear(board, address); });
}
void BENCH_CALL DevClearList(int board, const Addr4882* addresses) {
    OnBenchVoid([&](Bench& b) { b.DevClearList(board, addresses); });
}
void BENCH_CALL ReadStatusByte(int board, Addr4882 address, short* result) {
    OnBenchVoid([&](Bench& b) { b.ReadStatusByte(board, address, result); });
}
void BENCH_CALL AllSpoll(int board, const Addr4882* addresses, short* results) {
    OnBenchVoid([&](Bench& b) { b.AllSpoll(board, addresses, results); });
}
void BENCH_CALL AllSPoll(int board, const Addr4882* addresses, short* results) {
    AllSpoll(board, addresses, results);
}
void BENCH_CALL Trigger(int board, Addr4882 address) {
    OnBenchVoid([&](Bench& b) { b.Trigger(board, address); });
}
void BENCH_CALL TriggerList(int board, const Addr4882* addresses) {
    OnBenchVoid([&](Bench& b) { b.TriggerList(board, addresses); });
}
void BENCH_CALL EnableRemote(int board, const Addr4882* addresses) {
    OnBenchVoid([&](Bench& b) { b.EnableRemote(board, addresses); });
}
void BENCH_CALL EnableLocal(int board, const Addr4882* addresses) {
    OnBenchVoid([&](Bench& b) { b.EnableLocal(board, addresses); });
}
// 488.2 routines for features the bench does not have: ERR with ECAP.
void BENCH_CALL FindRQS(int board, const Addr4882*, short*) {
    Unsupported("FindRQS", board);
}
void BENCH_CALL PPoll(int board, short*) {
    Unsupported("PPoll", board);
}
void BENCH_CALL PPollConfig(int board, Addr4882, int, int) {
    Unsupported("PPollConfig", board);
}
void BENCH_CALL PPollUnconfig(int board, const Addr4882*) {
    Unsupported("PPollUnconfig", board);
}
void BENCH_CALL PassControl(int board, Addr4882) {
    Unsupported("PassControl", board);
}
void BENCH_CALL RcvRespMsg(int board, void*, long, int) {
    Unsupported("RcvRespMsg", board);
}
void BENCH_CALL ReceiveSetup(int board, Addr4882) {
    Unsupported("ReceiveSetup", board);
}
void BENCH_CALL ResetSys(int board, const Addr4882*) {
    Unsupported("ResetSys", board);
}
void BENCH_CALL SendDataBytes(int board, const void*, long, int) {
    Unsupported("SendDataBytes", board);
}
void BENCH_CALL SendLLO(int board) {
    Unsupported("SendLLO", board);
}
void BENCH_CALL SendList(int board, const Addr4882*, const void*, long, int) {
    Unsupported("SendList", board);
}
void BENCH_CALL SendSetup(int board, const Addr4882*) {
    Unsupported("SendSetup", board);
}
void BENCH_CALL SetRWLS(int board, const Addr4882*) {
    Unsupported("SetRWLS", board);
}
void BENCH_CALL TestSRQ(int board, short*) {
    Unsupported("TestSRQ", board);
}
void BENCH_CALL TestSys(int board, const Addr4882*, short*) {
    Unsupported("TestSys", board);
}
void BENCH_CALL WaitSRQ(int board, short*) {
    Unsupported("WaitSRQ", board);
}

// Texts and the configuration reader.
const char* BENCH_CALL gpib_error_string(int error) {
    return bench::ErrorText(error);
}
void BENCH_CALL ibvers(char** version) {
    static char text[] = "4.3.6 (gpib bench)";
    if (version) *version = text;
}
// The bench has no configuration file to read.
int BENCH_CALL parse_gpib_conf(const char*, void*, unsigned int, void*, unsigned int) {
    return -1;
}

}  // extern "C"
