// The Tektronix PS5010: two floating outputs, positive and negative, and a logic supply.
#include <algorithm>

#include "bench/instruments.h"
#include "bench/tektronix.h"

namespace bench {

namespace {

struct Output {
    long milliVolts;
    long milliAmps;
};

// Power-on: 0 V and 0.40 A on both floating outputs, 5 V and 3 A on the logic supply, all off.
struct Ps5010Settings {
    Output positive{0, 400};
    Output negative{0, 400};
    Output logic{5000, 3000};
    bool floatingOn = false;
    bool logicOn = false;
};

constexpr NumberRule kFloatingVolts{10, 0, 32000, 2};
constexpr NumberRule kFloatingAmps{10, 50, 1600, 3};
constexpr NumberRule kLogicVolts{10, 4500, 5500, 2};
constexpr NumberRule kLogicAmps{10, 100, 3000, 3};
constexpr long kHighVolts = 15000;       // above it a floating output gives at most...
constexpr long kHighVoltsMaxAmps = 750;  // ...0.75 A

NumberRule FloatingAmpsRule(const Output& output) {
    NumberRule rule = kFloatingAmps;
    if (output.milliVolts > kHighVolts) rule.max = kHighVoltsMaxAmps;
    return rule;
}

// Raising an output above 15 V brings a higher current limit down to the 0.75 A it can give
// there, so that "VPOS 20" followed by "IPOS 0.75" works whatever the limit was.
std::uint8_t SetOrAnswerFloatingVolts(const TekCommand& command, std::string_view header,
                                      Output& output, std::string& answer) {
    const std::uint8_t error =
        SetOrAnswerNumber(command, kFloatingVolts, header, output.milliVolts, answer);
    if (error == 0 && output.milliVolts > kHighVolts) {
        output.milliAmps = std::min(output.milliAmps, kHighVoltsMaxAmps);
    }
    return error;
}

std::uint8_t SetOrAnswerFloatingAmps(const TekCommand& command, std::string_view header,
                                     Output& output, std::string& answer) {
    return SetOrAnswerNumber(command, FloatingAmpsRule(output), header, output.milliAmps, answer);
}

class Ps5010 : public TekSupply<Ps5010Settings> {
public:
    std::string Kind() const override { return "PS5010"; }
    std::string Settings() const override;

protected:
    std::uint8_t Execute(const TekCommand& command, std::string& answer) override;

private:
    // "OUT ON|OFF" switches every output; "OUT?" answers like "OUTPUT?", both states.
    std::uint8_t SwitchAll(const TekCommand& command, std::string& answer);
};

std::uint8_t Ps5010::Execute(const TekCommand& c, std::string& answer) {
    Ps5010Settings& s = pending_;
    if (IsHeader(c, "VPOS", "VPOSITIVE"))
        return SetOrAnswerFloatingVolts(c, "VPOS", s.positive, answer);
    if (IsHeader(c, "VNEG", "VNEGATIVE"))
        return SetOrAnswerFloatingVolts(c, "VNEG", s.negative, answer);
    if (IsHeader(c, "IPOS", "IPOSITIVE"))
        return SetOrAnswerFloatingAmps(c, "IPOS", s.positive, answer);
    if (IsHeader(c, "INEG", "INEGATIVE"))
        return SetOrAnswerFloatingAmps(c, "INEG", s.negative, answer);
    if (IsHeader(c, "VLOGIC", "VLOGIC"))
        return SetOrAnswerNumber(c, kLogicVolts, "VLOGIC", s.logic.milliVolts, answer);
    if (IsHeader(c, "ILOGIC", "ILOGIC"))
        return SetOrAnswerNumber(c, kLogicAmps, "ILOGIC", s.logic.milliAmps, answer);
    if (IsHeader(c, "FSOUT", "FSOUT")) return SetOrAnswerSwitch(c, "FSOUT", s.floatingOn, answer);
    if (IsHeader(c, "LSOUT", "LSOUT")) return SetOrAnswerSwitch(c, "LSOUT", s.logicOn, answer);
    if (IsHeader(c, "OUT", "OUTPUT")) return SwitchAll(c, answer);
    if (IsHeader(c, "INIT", "INIT")) return Initialize(c);
    if (IsHeader(c, "ID", "ID")) return AnswerIdentity(c, "TEK/PS5010,V79.1", answer);
    return kTekCommandError;
}

std::uint8_t Ps5010::SwitchAll(const TekCommand& command, std::string& answer) {
    if (const std::uint8_t error = SetOrAnswerSwitch(command, "FSOUT", pending_.floatingOn, answer);
        error != 0) {
        return error;
    }
    return SetOrAnswerSwitch(command, "LSOUT", pending_.logicOn, answer);
}

std::string Ps5010::Settings() const {
    const Ps5010Settings& s = settings_;
    std::string message;
    AppendNumberAnswer(message, "VPOS", s.positive.milliVolts, kFloatingVolts.decimals);
    AppendNumberAnswer(message, "IPOS", s.positive.milliAmps, kFloatingAmps.decimals);
    AppendNumberAnswer(message, "VNEG", s.negative.milliVolts, kFloatingVolts.decimals);
    AppendNumberAnswer(message, "INEG", s.negative.milliAmps, kFloatingAmps.decimals);
    AppendNumberAnswer(message, "VLOGIC", s.logic.milliVolts, kLogicVolts.decimals);
    AppendNumberAnswer(message, "ILOGIC", s.logic.milliAmps, kLogicAmps.decimals);
    AppendSwitchAnswer(message, "FSOUT", s.floatingOn);
    AppendSwitchAnswer(message, "LSOUT", s.logicOn);
    return message;
}

}  // namespace

std::unique_ptr<Instrument> MakePs5010() {
    return std::make_unique<Ps5010>();
}

}  // namespace bench
