// The GPIB_BENCH reader: a text is refused with a message naming one of its items, or it gives a
// bench whose every number is written in the text and whose written-out form reads the same.
#include <string>
#include <string_view>

#include "bench/config.h"
#include "bench/text.h"
#include "driver/status.h"
#include "property.h"

namespace {

bool HasItem(std::string_view text, std::string_view item) {
    for (const std::string_view piece : bench::Split(text, ';')) {
        if (bench::Trim(piece) == item) return true;
    }
    return false;
}

void CheckRefusal(const std::string& text, const bench::ParsedConfig& parsed) {
    const std::string_view error = parsed.error;
    const std::string_view head = "GPIB_BENCH item \"";
    const std::string_view tail = "\" is not understood: ";
    Require(error.substr(0, head.size()) == head,
            "refusal of \"" + text + "\" in another form: " + parsed.error);
    // The item itself may hold the words that follow it: any reading that names an item serves.
    bool named = false;
    for (std::size_t at = error.find(tail, head.size()); at != std::string_view::npos && !named;
         at = error.find(tail, at + 1)) {
        named = HasItem(text, error.substr(head.size(), at - head.size())) &&
                at + tail.size() < error.size();
    }
    Require(named, "refusal of \"" + text + "\" names no item of it: " + parsed.error);
    Require(parsed.config == bench::BenchConfig{}, "refused \"" + text + "\" still makes a bench");
}

void CheckNumberWritten(const std::string& text, long number, const std::string& what) {
    // Leading zeros and the sign aside ("-007" gives -7), the digits stand in the text.
    Require(
        text.find(std::to_string(number < 0 ? -number : number)) != std::string::npos,
        "\"" + text + "\" gives " + what + " " + std::to_string(number) + ", not written in it");
}

void CheckBench(const std::string& text, const bench::BenchConfig& config) {
    for (const auto& placed : config.instruments) {
        Require(placed.pad >= 1 && placed.pad <= 30, "\"" + text + "\" places outside 1..30");
        CheckNumberWritten(text, placed.pad, "an address");
    }
    if (config.registerResult != 0) CheckNumberWritten(text, config.registerResult, "register");
    if (config.findLstnError) CheckNumberWritten(text, *config.findLstnError, "findlstn");
    // Without a code, noconfig fails as linux-gpib without its configuration file: EARG.
    if (config.noBoardError && *config.noBoardError != driver::EARG)
        CheckNumberWritten(text, *config.noBoardError, "noconfig");
    for (const auto& unplug : config.unplugs) {
        CheckNumberWritten(text, unplug.messages, "an unplug count");
        bool placed = false;
        for (const auto& instrument : config.instruments) placed |= instrument.pad == unplug.pad;
        Require(placed, "\"" + text + "\" unplugs an address without an instrument");
    }
    const std::string written = bench::FormatConfig(config);
    const bench::ParsedConfig again = bench::ParseConfig(written);
    Require(again.error.empty() && again.config == config,
            "\"" + text + "\" written out as \"" + written + "\" reads otherwise " + again.error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const bench::ParsedConfig parsed = bench::ParseConfig(text);
    if (parsed.error.empty()) {
        CheckBench(bench::Trim(text).empty() ? std::string(bench::kDefaultBench) : text,
                   parsed.config);
    } else {
        CheckRefusal(text, parsed);
    }
    return 0;
}
