// Random bytes from a host, as an adapter takes them apart into lines, and as the emulated AR488
// acts on them in front of the bench. Properties: every data line escaped again comes back the
// same; a command is what follows its "++"; the emulated adapter takes anything without harm.
#include <cstdint>
#include <memory>
#include <string>

#include "adapter/framing.h"
#include "bench/config.h"
#include "bench/emulator/emulated_adapter.h"
#include "bench/setup.h"
#include "property.h"

namespace {
void CheckLine(const adapter::HostLine& line) {
    if (line.command) {
        Require(line.raw.rfind("++", 0) == 0, "a command without ++: " + line.raw);
        Require(line.text == line.raw.substr(2), "a command's text is not what follows ++");
        return;
    }
    adapter::HostLines again;
    std::string escaped = adapter::Escape(line.text) + "\n";
    std::optional<adapter::HostLine> back;
    for (const char byte : escaped) {
        if (auto got = again.Push(byte)) back = got;
    }
    Require(back && !back->command && back->text == line.text,
            "data line \"" + line.raw + "\" does not come back whole when escaped again");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    adapter::HostLines lines;
    for (const char byte : bytes) {
        if (const std::optional<adapter::HostLine> line = lines.Push(byte)) CheckLine(*line);
    }

    auto clock = std::make_shared<driver::VirtualClock>();
    bench::Bench bench(clock);
    bench::Configure(bench, bench::ParseConfig("3=SILENT;5=PS5010;7=HP6032A").config);
    bench::EmulatedAdapter emulated(adapter::Kind::Ar488, std::string(bench::kAr488Version), bench,
                                    clock);
    emulated.Receive(bytes);
    emulated.TakeOutput();
    return 0;
}
