// The Tektronix DM5010 multimeter: answers the identification query but is no supply.
#include "bench/instruments.h"
#include "bench/tektronix.h"

namespace bench {

namespace {

// Takes any well-formed command; every query but "ID?" answers the same plausible reading.
class Dm5010 : public TekInstrument {
public:
    std::string Kind() const override { return "DM5010"; }

protected:
    void BeginMessage() override {}
    void CommitMessage() override {}

    std::uint8_t Execute(const TekCommand& c, std::string& answer) override {
        if (IsHeader(c, "ID", "ID")) return AnswerIdentity(c, "TEK/DM5010,V79.1", answer);
        if (c.query) answer += "DCV +1.2345E+0;";
        return 0;
    }
};

}  // namespace

std::unique_ptr<Instrument> MakeDm5010() {
    return std::make_unique<Dm5010>();
}

}  // namespace bench
