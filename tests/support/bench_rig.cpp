// A bench on a virtual clock, wired to the program's bus layer and a scripted platform.
#include "bench_rig.h"

#include "bench/driver_api.h"
#include "bench/setup.h"

GpibEntryPoints BenchEntryPoints() {
    GpibEntryPoints e;
    e.SendIFC = bench::api::SendIFC;
    e.ibsre = bench::api::ibsre;
    e.FindLstn = bench::api::FindLstn;
    e.ibdev = bench::api::ibdev;
    e.ibpad = bench::api::ibpad;
    e.ibclr = bench::api::ibclr;
    e.ibrsp = bench::api::ibrsp;
    e.ibwrt = bench::api::ibwrt;
    e.ibrd = bench::api::ibrd;
    e.ibtmo = bench::api::ibtmo;
    e.ibwait = bench::api::ibwait;
    e.ibask = bench::api::ibask;
    e.RegisterGpibGlobalsForThread = bench::api::RegisterGpibGlobalsForThread;
    e.UnregisterGpibGlobalsForThread = bench::api::UnregisterGpibGlobalsForThread;
    e.ThreadIbsta = bench::api::ThreadIbsta;
    e.ThreadIberr = bench::api::ThreadIberr;
    e.ThreadIbcnt = bench::api::ThreadIbcnt;
    e.ThreadIbcntl = bench::api::ThreadIbcntl;
    return e;
}

namespace {
std::shared_ptr<bench::VirtualClock> InstallBench(const std::string& config,
                                                  bench::Bench*& installed) {
    auto clock = std::make_shared<bench::VirtualClock>();
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
    bench::Install(nullptr);
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
