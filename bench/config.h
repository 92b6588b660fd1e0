// The GPIB_BENCH description of a bench: instruments by address and the faults to inject.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/faults.h"

namespace bench {

// What GPIB_BENCH means when it is unset or empty.
constexpr std::string_view kDefaultBench = "5=PS5010";

struct BenchConfig {
    struct Placed {
        int pad;
        std::string kind;  // as KnownKind spells it
        bool operator==(const Placed&) const = default;
    };
    struct Unplug {
        int pad;
        int messages;
        bool operator==(const Unplug&) const = default;
    };
    // One exchange of an instrument, counted from the bench's start.
    struct Refusal {
        int pad;
        int write;
        int iberr;
        bool operator==(const Refusal&) const = default;
    };
    struct Spoil {
        int pad;
        int write;
        AnswerFault fault;
        bool operator==(const Spoil&) const = default;
    };

    struct Name {
        std::string name;  // for ibfind
        int pad;
        bool operator==(const Name&) const = default;
    };

    std::vector<Placed> instruments;
    int registerResult = 0;
    std::optional<int> findLstnError;
    std::vector<Unplug> unplugs;
    std::vector<Name> names;
    // A driver without a usable board: every call fails with ERR and this iberr.
    std::optional<int> noBoardError;
    std::vector<Refusal> refusals;
    std::vector<Spoil> spoils;

    bool operator==(const BenchConfig&) const = default;
};

// The bench described, or (with an empty bench) the reason why the text was refused.
struct ParsedConfig {
    BenchConfig config;
    std::string error;  // e.g. GPIB_BENCH item "7=FOO" is not understood: ...
};

// Items separated by ";", blanks around them ignored: "<pad>=<KIND>", "register=<n>",
// "findlstn=<iberr>", "unplug=<pad>@<n>", "name=<name>@<pad>", "noconfig[=<iberr>]",
// "refuse=<pad>@<n>:<iberr>", "spoil=<pad>@<n>:<fault>". Only blanks: the default bench.
ParsedConfig ParseConfig(std::string_view text);

// The GPIB_BENCH text of a bench: ParseConfig reads it back as the same bench (";" when empty).
std::string FormatConfig(const BenchConfig& config);

}  // namespace bench
