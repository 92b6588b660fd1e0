// The GPIB_BENCH description of a bench: instruments by address and the faults to inject.
#include "bench/config.h"

#include <limits>

#include "bench/instruments.h"
#include "bench/numbers.h"
#include "bench/text.h"
#include "driver/status.h"

namespace bench {

namespace {
std::string Refusal(std::string_view item, const std::string& reason) {
    return "GPIB_BENCH item \"" + std::string(item) + "\" is not understood: " + reason;
}

// A whole number that an int holds; a larger one is refused rather than cut to another value.
std::optional<int> ParseInt(std::string_view text, bool signedAllowed = false) {
    const std::optional<long> value = ParseWholeNumber(text, signedAllowed);
    if (!value || *value < std::numeric_limits<int>::min() ||
        *value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

// Reads one item into `config`; the reason it is not understood, or nothing.
class ItemReader {
public:
    explicit ItemReader(BenchConfig& config) : config_(config) {}

    std::optional<std::string> Read(std::string_view item) {
        if (item == "noconfig") return ReadNoConfig("");
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos) {
            return "expected <pad>=<KIND> or <setting>=<value>";
        }
        const std::string_view name = Trim(item.substr(0, equals));
        const std::string_view value = Trim(item.substr(equals + 1));
        if (name == "register") return ReadRegister(value);
        if (name == "findlstn") return ReadFindLstn(value);
        if (name == "unplug") return ReadUnplug(item, value);
        if (name == "refuse") return ReadRefusal(item, value);
        if (name == "spoil") return ReadSpoil(item, value);
        if (name == "name") return ReadName(value);
        if (name == "noconfig") return ReadNoConfig(value);
        if (const std::optional<long> pad = ParseWholeNumber(name)) return Place(*pad, value);
        return "unknown setting " + std::string(name);
    }

    // A fault item must name an address that holds an instrument, wherever that one stands.
    std::optional<std::string> CheckFaultAddresses() const {
        for (const FaultItem& fault : faultItems_) {
            bool placed = false;
            for (const BenchConfig::Placed& instrument : config_.instruments) {
                placed = placed || instrument.pad == fault.pad;
            }
            if (!placed) {
                return Refusal(fault.item, "no instrument at address " + std::to_string(fault.pad));
            }
        }
        return std::nullopt;
    }

private:
    static std::optional<std::string> CheckPad(long pad) {
        if (pad < 1 || pad > driver::kHighestPad) {
            return "address " + std::to_string(pad) + " is outside 1..30";
        }
        return std::nullopt;
    }

    std::optional<std::string> Place(long pad, std::string_view kindName) {
        if (auto bad = CheckPad(pad)) return bad;
        const std::optional<std::string> kind = KnownKind(kindName);
        if (!kind) return "unknown instrument kind " + std::string(kindName);
        for (const BenchConfig::Placed& placed : config_.instruments) {
            if (placed.pad == pad) {
                return "address " + std::to_string(pad) + " already holds a " + placed.kind;
            }
        }
        config_.instruments.push_back({static_cast<int>(pad), *kind});
        return std::nullopt;
    }

    std::optional<std::string> ReadRegister(std::string_view value) {
        const std::optional<int> result = ParseInt(value, true);
        if (!result) return "register= needs a whole number";
        config_.registerResult = *result;
        return std::nullopt;
    }

    std::optional<std::string> ReadFindLstn(std::string_view value) {
        const std::optional<int> iberr = ParseInt(value);
        if (!iberr) return "findlstn= needs an error number";
        config_.findLstnError = *iberr;
        return std::nullopt;
    }

    // "<pad>@<n>", remembered for the check that an instrument stands at pad.
    struct Exchange {
        int pad;
        int count;
    };
    std::optional<Exchange> ReadExchange(std::string_view item, std::string_view text) {
        const std::size_t at = text.find('@');
        if (at == std::string_view::npos) return std::nullopt;
        const std::optional<int> pad = ParseInt(text.substr(0, at));
        const std::optional<int> count = ParseInt(text.substr(at + 1));
        if (!pad || !count) return std::nullopt;
        faultItems_.push_back({item, *pad});
        return Exchange{*pad, *count};
    }

    std::optional<std::string> ReadUnplug(std::string_view item, std::string_view value) {
        const std::optional<Exchange> exchange = ReadExchange(item, value);
        if (!exchange) return "unplug= needs <pad>@<messages>";
        if (auto bad = CheckPad(exchange->pad)) return bad;
        config_.unplugs.push_back({exchange->pad, exchange->count});
        return std::nullopt;
    }

    std::optional<std::string> ReadName(std::string_view value) {
        const std::size_t at = value.rfind('@');
        const std::string_view name = at == std::string_view::npos ? "" : Trim(value.substr(0, at));
        const std::optional<long> pad = at == std::string_view::npos
                                            ? std::nullopt
                                            : ParseWholeNumber(Trim(value.substr(at + 1)));
        if (name.empty() || !pad) return "name= needs <name>@<pad>";
        if (name == "gpib0") return "gpib0 is the board's own name";
        if (auto bad = CheckPad(*pad)) return bad;
        config_.names.push_back({std::string(name), static_cast<int>(*pad)});
        return std::nullopt;
    }

    // Without a code, what linux-gpib gives when it finds no configuration file: EARG.
    std::optional<std::string> ReadNoConfig(std::string_view value) {
        const std::optional<int> iberr =
            value.empty() ? std::optional<int>(driver::EARG) : ParseInt(value);
        if (!iberr) return "noconfig= needs an error number";
        config_.noBoardError = *iberr;
        return std::nullopt;
    }

    // "<pad>@<write>:<what>" of a fault on one exchange: the write (the first is 1) and <what>.
    struct PlannedExchange {
        Exchange exchange;
        std::string_view what;
    };
    std::optional<PlannedExchange> ReadPlannedExchange(std::string_view item,
                                                       std::string_view value) {
        const std::size_t colon = value.find(':');
        if (colon == std::string_view::npos) return std::nullopt;
        const std::optional<Exchange> exchange = ReadExchange(item, value.substr(0, colon));
        if (!exchange || exchange->count < 1) return std::nullopt;
        return PlannedExchange{*exchange, value.substr(colon + 1)};
    }

    std::optional<std::string> ReadRefusal(std::string_view item, std::string_view value) {
        const std::optional<PlannedExchange> planned = ReadPlannedExchange(item, value);
        const std::optional<int> iberr = planned ? ParseInt(planned->what) : std::nullopt;
        if (!iberr) return "refuse= needs <pad>@<write>:<iberr>";
        const Exchange& write = planned->exchange;
        if (auto bad = CheckPad(write.pad)) return bad;
        config_.refusals.push_back({write.pad, write.count, *iberr});
        return std::nullopt;
    }

    std::optional<std::string> ReadSpoil(std::string_view item, std::string_view value) {
        const std::optional<PlannedExchange> planned = ReadPlannedExchange(item, value);
        const std::optional<AnswerFault> fault =
            planned ? AnswerFaultNamed(planned->what) : std::nullopt;
        if (!fault) return "spoil= needs <pad>@<write>:<" + AnswerFaultNames() + ">";
        const Exchange& write = planned->exchange;
        if (auto bad = CheckPad(write.pad)) return bad;
        config_.spoils.push_back({write.pad, write.count, *fault});
        return std::nullopt;
    }

    struct FaultItem {
        std::string_view item;
        int pad;
    };
    BenchConfig& config_;
    std::vector<FaultItem> faultItems_;
};

}  // namespace

ParsedConfig ParseConfig(std::string_view text) {
    if (Trim(text).empty()) text = kDefaultBench;
    ParsedConfig parsed;
    ItemReader reader(parsed.config);
    for (std::string_view piece : Split(text, ';')) {
        const std::string_view item = Trim(piece);
        if (item.empty()) continue;
        if (const std::optional<std::string> reason = reader.Read(item)) {
            return ParsedConfig{BenchConfig{}, Refusal(item, *reason)};
        }
    }
    if (std::optional<std::string> error = reader.CheckFaultAddresses()) {
        return ParsedConfig{BenchConfig{}, *error};
    }
    return parsed;
}

std::string FormatConfig(const BenchConfig& config) {
    std::string text;
    for (const BenchConfig::Placed& placed : config.instruments) {
        text += std::to_string(placed.pad) + "=" + placed.kind + ";";
    }
    if (config.registerResult != 0)
        text += "register=" + std::to_string(config.registerResult) + ";";
    if (config.findLstnError) text += "findlstn=" + std::to_string(*config.findLstnError) + ";";
    for (const BenchConfig::Name& name : config.names) {
        text += "name=" + name.name + "@" + std::to_string(name.pad) + ";";
    }
    if (config.noBoardError) text += "noconfig=" + std::to_string(*config.noBoardError) + ";";
    for (const BenchConfig::Unplug& unplug : config.unplugs) {
        text +=
            "unplug=" + std::to_string(unplug.pad) + "@" + std::to_string(unplug.messages) + ";";
    }
    for (const BenchConfig::Refusal& refusal : config.refusals) {
        text += "refuse=" + std::to_string(refusal.pad) + "@" + std::to_string(refusal.write) +
                ":" + std::to_string(refusal.iberr) + ";";
    }
    for (const BenchConfig::Spoil& spoil : config.spoils) {
        text += "spoil=" + std::to_string(spoil.pad) + "@" + std::to_string(spoil.write) + ":" +
                std::string(AnswerFaultName(spoil.fault)) + ";";
    }
    return text.empty() ? ";" : text;
}

}  // namespace bench
