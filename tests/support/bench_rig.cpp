// A bench on a virtual clock, wired to the program's bus layer and a scripted platform.
#include "bench_rig.h"

#include "bench/bench.h"
#include "bench/setup.h"
#include "driver/driver_api.h"

GpibEntryPoints BenchEntryPoints() {
    GpibEntryPoints e;
    e.SendIFC = driver::api::SendIFC;
    e.ibsre = driver::api::ibsre;
    e.FindLstn = driver::api::FindLstn;
    e.ibdev = driver::api::ibdev;
    e.ibpad = driver::api::ibpad;
    e.ibclr = driver::api::ibclr;
    e.ibrsp = driver::api::ibrsp;
    e.ibwrt = driver::api::ibwrt;
    e.ibrd = driver::api::ibrd;
    e.ibtmo = driver::api::ibtmo;
    e.ibwait = driver::api::ibwait;
    e.ibask = driver::api::ibask;
    e.RegisterGpibGlobalsForThread = driver::api::RegisterGpibGlobalsForThread;
    e.UnregisterGpibGlobalsForThread = driver::api::UnregisterGpibGlobalsForThread;
    e.ThreadIbsta = driver::api::ThreadIbsta;
    e.ThreadIberr = driver::api::ThreadIberr;
    e.ThreadIbcnt = driver::api::ThreadIbcnt;
    e.ThreadIbcntl = driver::api::ThreadIbcntl;
    return e;
}

namespace {
std::shared_ptr<driver::VirtualClock> InstallBench(const std::string& config,
                                                   bench::Bench*& installed) {
    auto clock = std::make_shared<driver::VirtualClock>();
    installed = bench::InstallFromText(config, clock);
    return clock;
}

// "0.100 ibwrt ud=16 ..." without its time stamp.
std::string WithoutTime(const std::string& line) {
    return line.substr(line.find(' ') + 1);
}
}  // namespace

BenchRig::BenchRig(const std::string& config, const GpibEntryPoints& entryPoints)
    : clock_(InstallBench(config, bench_)),
      platform(clock_),
      gpib(entryPoints),
      bus(gpib, platform) {}

BenchRig::~BenchRig() {
    driver::Install(nullptr);
}

std::vector<std::string> BenchRig::Trace() const {
    const auto& lines = bench_->TraceLines();
    return {lines.begin() + static_cast<std::ptrdiff_t>(traceStart_), lines.end()};
}

std::vector<std::string> BenchRig::Calls() const {
    std::vector<std::string> calls;
    for (const std::string& line : Trace()) calls.push_back(WithoutTime(line));
    return calls;
}

bench::ScriptedInstrument& BenchRig::AttachScripted(int pad) {
    auto made = std::make_unique<bench::ScriptedInstrument>();
    bench::ScriptedInstrument& scripted = *made;
    bench_->Attach(pad, std::move(made));
    return scripted;
}

std::vector<std::string> BenchRig::Calls(const std::string& function) const {
    std::vector<std::string> calls;
    for (const std::string& call : Calls())
        if (call.rfind(function + " ", 0) == 0) calls.push_back(call);
    return calls;
}
