// A main window loaded on the bench, and what it then wrote to the supply.
#include "form_on_bench.h"

#include <charconv>
#include <memory>

namespace {
constexpr int kSupplyPad = 5;

bool IsCall(const std::string& line, const std::string& function) {
    return line.find(" " + function + " ") != std::string::npos;
}

// The bytes of `data="..."`; the program's commands need no unescaping.
std::string DataOf(const std::string& line) {
    const std::string::size_type start = line.find("data=\"") + 6;
    return line.substr(start, line.find("\" -> ", start) - start);
}
// The time stamp in front, read the same whatever the locale.
double TimeOf(const std::string& line) {
    double time = 0;
    std::from_chars(line.data(), line.data() + line.size(), time);
    return time;
}
}  // namespace

FormOnBench::FormOnBench(const std::string& bus) : rig(bus), form(rig.platform, rig.bus) {
    form.Form_Load();
    ForgetWritten();
}

void FormOnBench::SetUpSupply(const std::string& message) {
    rig.bus.SendCommand(form.Supply().SupplyDevice, message);
    ForgetWritten();
}

std::vector<std::string> FormOnBench::Trace() const {
    const auto& lines = rig.Bench().TraceLines();
    return {lines.begin() + static_cast<std::ptrdiff_t>(traceStart_), lines.end()};
}

std::vector<WrittenMessage> FormOnBench::TimedWritten() const {
    std::vector<WrittenMessage> written;
    for (const std::string& line : Trace())
        if (IsCall(line, "ibwrt")) written.push_back({TimeOf(line), DataOf(line)});
    return written;
}

std::vector<std::string> FormOnBench::Written() const {
    std::vector<std::string> written;
    for (const WrittenMessage& message : TimedWritten()) written.push_back(message.data);
    return written;
}

bool FormOnBench::EveryQueryReadBeforeTheNextWrite() const {
    bool awaitingAnswer = false;
    for (const std::string& line : Trace()) {
        if (IsCall(line, "ibwrt")) {
            if (awaitingAnswer) return false;
            awaitingAnswer = DataOf(line).ends_with('?');
        } else if (IsCall(line, "ibrd")) {
            awaitingAnswer = false;
        }
    }
    return !awaitingAnswer;
}

void FormOnBench::Activate() {
    form.Form_Activate();
    ForgetWritten();
}

void FormOnBench::Store(const std::string& key, const std::string& text) {
    rig.platform.WriteSetting("Pulvar", "Settings\\" + form.Supply().ModelName, key, text);
}

std::string FormOnBench::Stored(const std::string& key) {
    return rig.platform.ReadSetting("Pulvar", "Settings\\" + form.Supply().ModelName, key, "-");
}

// The scripted store keeps "app\section\key" in one text.
void FormOnBench::KeepStoreOf(const FormOnBench& earlier) {
    for (const auto& [path, text] : earlier.rig.platform.Store()) {
        const auto app = path.find('\\');
        const auto key = path.rfind('\\');
        rig.platform.WriteSetting(path.substr(0, app), path.substr(app + 1, key - app - 1),
                                  path.substr(key + 1), text);
    }
}

bench::ScriptedInstrument& FormOnBench::ScriptedSupply() {
    auto made = std::make_unique<bench::ScriptedInstrument>();
    bench::ScriptedInstrument& scripted = *made;
    rig.Bench().Attach(kSupplyPad, std::move(made));
    return scripted;
}
