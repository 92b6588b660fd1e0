// The adapter library's driver over an emulated adapter in front of a bench, in one process.
#include "adapter_rig.h"

#include "bench/config.h"
#include "bench/setup.h"

// The link between them: what the host sends reaches the adapter at the host's time, and what
// the adapter says reaches the host when it is due; the host's time passes only while it waits.
class AdapterRig::Link : public adapter::Link {
public:
    Link(bench::EmulatedAdapter& adapter, driver::VirtualClock& host)
        : adapter_(adapter), host_(host) {
        adapter_.Opened();
    }

    bool Send(std::string_view bytes, double deadline) override {
        if (stalled_) {
            host_.Sleep(deadline - host_.Now());
            failure_ = "write: it takes nothing more";
            return false;
        }
        if (Gone()) return false;
        if (!hung_) adapter_.Receive(bytes);
        return true;
    }

    std::optional<std::string> Receive(double deadline) override {
        if (Gone()) return std::nullopt;
        std::string bytes = hung_ ? std::string() : adapter_.TakeOutput();
        if (!bytes.empty()) return bytes;
        const std::optional<double> due = adapter_.NextOutputAt();
        if (!hung_ && due && *due <= deadline) {
            host_.Sleep(*due - host_.Now());
            return adapter_.TakeOutput();
        }
        host_.Sleep(deadline - host_.Now());
        return std::string();
    }

    std::string Failure() const override { return failure_; }

    void Unplug() { unplugged_ = true; }
    void Hang() { hung_ = true; }
    void Stall() { stalled_ = true; }

private:
    bool Gone() {
        if (adapter_.Unplugged()) unplugged_ = true;
        if (unplugged_) failure_ = "the adapter was unplugged";
        return unplugged_;
    }

    bench::EmulatedAdapter& adapter_;
    driver::VirtualClock& host_;
    std::string failure_;
    bool unplugged_ = false;
    bool hung_ = false;
    bool stalled_ = false;
};

namespace {
std::string WithoutTime(const std::string& line) {
    return line.substr(line.find(' ') + 1);
}

bench::AdapterModel ModelOf(adapter::Kind kind) {
    return kind == adapter::Kind::Ar488 ? bench::AdapterModel::Ar488
                                        : bench::AdapterModel::PrologixUsb;
}

bench::AdapterTraits WithVersion(std::string version) {
    bench::AdapterTraits traits;
    traits.version = std::move(version);
    return traits;
}
}  // namespace

AdapterRig::AdapterRig(bench::AdapterModel model, const std::string& config,
                       bench::AdapterTraits traits)
    : host_(std::make_shared<driver::VirtualClock>()),
      adapterClock_(std::make_shared<bench::AdapterClock>(host_)),
      bench_(adapterClock_),
      adapter_(model, std::move(traits), bench_, adapterClock_) {
    bench::Configure(bench_, bench::ParseConfig(config).config);
    auto link = std::make_unique<Link>(adapter_, *host_);
    link_ = link.get();
    auto bus = std::make_unique<adapter::AdapterBus>(std::move(link), host_, "the emulator");
    bus_ = bus.get();
    driver_ = std::make_unique<driver::Driver>("gpib adapter", host_, std::move(bus));
}

AdapterRig::AdapterRig(adapter::Kind kind, const std::string& config, std::string version)
    : AdapterRig(ModelOf(kind), config, WithVersion(std::move(version))) {}

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

void AdapterRig::Stall() {
    link_->Stall();
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
