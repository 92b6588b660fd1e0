// The Tektronix PS5004: one output, 0 to 20 V, answering with long headers.
#include "bench/instruments.h"
#include "bench/tektronix.h"

namespace bench {

namespace {

// Power-on: 0 V, 0.100 A, output off.
struct Ps5004Settings {
    long milliVolts = 0;
    long milliAmps = 100;
    bool on = false;
};

constexpr NumberRule kVolts{1, 0, 20000, 3};
constexpr NumberRule kAmps{1, 10, 305, 3};

class Ps5004 : public TekSupply<Ps5004Settings> {
public:
    std::string Kind() const override { return "PS5004"; }

    std::string Settings() const override {
        std::string message;
        AppendNumberAnswer(message, "VOLTAGE", settings_.milliVolts, kVolts.decimals);
        AppendNumberAnswer(message, "CURRENT", settings_.milliAmps, kAmps.decimals);
        AppendSwitchAnswer(message, "OUT", settings_.on);
        return message;
    }

protected:
    std::uint8_t Execute(const TekCommand& c, std::string& answer) override {
        Ps5004Settings& s = pending_;
        if (IsHeader(c, "VOL", "VOLTAGE"))
            return SetOrAnswerNumber(c, kVolts, "VOLTAGE", s.milliVolts, answer);
        if (IsHeader(c, "CUR", "CURRENT"))
            return SetOrAnswerNumber(c, kAmps, "CURRENT", s.milliAmps, answer);
        if (IsHeader(c, "OUT", "OUTPUT")) return SetOrAnswerSwitch(c, "OUT", s.on, answer);
        if (IsHeader(c, "INIT", "INIT")) return Initialize(c);
        if (IsHeader(c, "ID", "ID")) return AnswerIdentity(c, "TEK/PS5004,V81.1", answer);
        return kTekCommandError;
    }
};

}  // namespace

std::unique_ptr<Instrument> MakePs5004() {
    return std::make_unique<Ps5004>();
}

}  // namespace bench
