// The adapter library's driver over an emulated adapter in front of a bench, in one process.
#include "adapter_rig.h"

#include "bench/config.h"
#include "bench/setup.h"

// The adapter's side of the link: what is sent is taken at once, on the shared virtual clock,
// and what the adapter says is there to receive; time passes only while waiting for nothing.
class AdapterRig::Link : public adapter::Link {
public:
    Link(bench::EmulatedAdapter& adapter, driver::VirtualClock& clock)
        : adapter_(adapter), clock_(clock) {
        adapter_.Opened();
    }

    bool Send(std::string_view bytes, double) override {
        if (unplugged_) return false;
        if (!hung_) adapter_.Receive(bytes);
        pending_ += adapter_.TakeOutput();
        unplugged_ = adapter_.Unplugged();
        return true;
    }

    std::optional<std::string> Receive(double deadline) override {
        if (unplugged_) return std::nullopt;
        if (pending_.empty()) {
            clock_.Sleep(deadline - clock_.Now());
            return std::string();
        }
        std::string bytes = std::move(pending_);
        pending_.clear();
        return bytes;
    }

    std::string Failure() const override { return "the adapter was unplugged"; }

    void Unplug() { unplugged_ = true; }
    void Hang() { hung_ = true; }

private:
    bench::EmulatedAdapter& adapter_;
    driver::VirtualClock& clock_;
    std::string pending_;
    bool unplugged_ = false;
    bool hung_ = false;
};

namespace {
std::string WithoutTime(const std::string& line) {
    return line.substr(line.find(' ') + 1);
}
}  // namespace

AdapterRig::AdapterRig(adapter::Kind kind, const std::string& config, std::string version)
    : clock_(std::make_shared<driver::VirtualClock>()),
      bench_(clock_),
      adapter_(kind,
               !version.empty()               ? version
               : kind == adapter::Kind::Ar488 ? std::string(bench::kAr488Version)
                                              : std::string(bench::kPrologixUsbVersion),
               bench_, clock_) {
    bench::Configure(bench_, bench::ParseConfig(config).config);
    auto link = std::make_unique<Link>(adapter_, *clock_);
    link_ = link.get();
    auto bus = std::make_unique<adapter::AdapterBus>(std::move(link), clock_, "the emulator");
    bus_ = bus.get();
    driver_ = std::make_unique<driver::Driver>("gpib adapter", clock_, std::move(bus));
}

AdapterRig::~AdapterRig() = default;

std::optional<std::string> AdapterRig::Open() {
    std::optional<std::string> failed = bus_->Open();
    TakeHostLines();
    TakeBenchCalls();
    return failed;
}

bench::ScriptedInstrument& AdapterRig::AttachScripted(int pad) {
    auto made = std::make_unique<bench::ScriptedInstrument>();
    bench::ScriptedInstrument& scripted = *made;
    bench_.Attach(pad, std::move(made));
    return scripted;
}

std::vector<std::string> AdapterRig::TakeLines(std::size_t& seen,
                                               const std::function<bool(std::string&)>& wanted) {
    std::vector<std::string> lines;
    const std::vector<std::string>& trace = bench_.TraceLines();
    for (; seen < trace.size(); ++seen) {
        std::string line = WithoutTime(trace[seen]);
        if (wanted(line)) lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::string> AdapterRig::TakeHostLines() {
    return TakeLines(hostLinesSeen_, [](std::string& line) {
        if (line.rfind("host> \"", 0) != 0) return false;
        line = line.substr(7, line.size() - 8);
        return true;
    });
}

std::vector<std::string> AdapterRig::TakeBenchCalls() {
    return TakeLines(benchLinesSeen_, [](std::string& line) {
        return line.rfind("host", 0) != 0 && line.rfind("adapter", 0) != 0;
    });
}

void AdapterRig::Unplug() {
    link_->Unplug();
}

void AdapterRig::Hang() {
    link_->Hang();
}

int AdapterRig::Write(int ud, const std::string& text) {
    return driver_->ibwrt(ud, text.data(), static_cast<long>(text.size()));
}

std::string AdapterRig::Read(int ud, int& sta, long chunk) {
    std::string answer;
    for (int reads = 0; reads < 100; ++reads) {
        std::string buffer(static_cast<std::size_t>(chunk), '\0');
        sta = driver_->ibrd(ud, buffer.data(), chunk);
        answer.append(buffer.data(), static_cast<std::size_t>(driver_->LastStatus().ibcntl));
        if (sta & (driver::ERR | driver::END)) break;
    }
    return answer;
}
