// A listener that never talks: it takes every message and answers serial polls, nothing else.
#include "bench/instruments.h"

namespace bench {

namespace {
class Silent : public Instrument {
public:
    std::string Kind() const override { return "SILENT"; }
    void Listen(std::string_view, bool, double) override {}
    std::optional<double> AnswerReadyAt() const override { return std::nullopt; }
    // Never asked: it never has an answer ready.
    std::string Talk(std::size_t, bool&) override { return {}; }
    void DeviceClear() override {}
    std::uint8_t SerialPoll() override { return 0; }
};
}  // namespace

std::unique_ptr<Instrument> MakeSilent() {
    return std::make_unique<Silent>();
}

}  // namespace bench
