// Random bytes from a host, as the emulated adapter takes them apart into lines and acts on them
// in front of the bench. Properties: every data line, escaped by the adapter library and read
// again by the emulated adapter (written apart from it), comes back the same; a command starts
// with two plain "+"; the emulated adapter takes anything without harm.
#include <cstdint>
#include <memory>
#include <string>

#include "adapter/framing.h"
#include "bench/config.h"
#include "bench/emulator/emulated_adapter.h"
#include "bench/setup.h"
#include "property.h"

namespace {
void CheckLine(const bench::HostLine& line) {
    if (line.command) {
        // Its text is what follows, escapes taken out, as the firmware keeps it.
        Require(line.raw.rfind("++", 0) == 0, "a command without ++: " + line.raw);
        return;
    }
    bench::LineReader again;
    const std::string escaped = adapter::Escape(line.text) + "\n";
    std::optional<bench::HostLine> back;
    for (const char byte : escaped) {
        if (auto got = again.Push(byte)) back = got;
    }
    Require(back && !back->command && back->text == line.text,
            "data line \"" + line.raw + "\" does not come back whole when escaped again");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    bench::LineReader lines;
    for (const char byte : bytes) {
        if (const std::optional<bench::HostLine> line = lines.Push(byte)) CheckLine(*line);
    }

    auto host = std::make_shared<driver::VirtualClock>();
    auto clock = std::make_shared<bench::AdapterClock>(host);
    bench::Bench bench(clock);
    bench::Configure(bench, bench::ParseConfig("3=SILENT;5=PS5010;7=HP6032A").config);
    bench::EmulatedAdapter emulated(bench::AdapterModel::Ar488, {}, bench, clock);
    emulated.Receive(bytes);
    emulated.TakeOutput();
    return 0;
}
