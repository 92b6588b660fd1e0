// Faults the bench can put on one exchange with an instrument.
#include "bench/faults.h"

#include <array>
#include <cctype>
#include <utility>

namespace bench {

namespace {
struct NamedFault {
    std::string_view name;
    AnswerFault fault;
};
constexpr std::array<NamedFault, 8> kNames = {{
    {"timeout", AnswerFault::TimeOut},
    {"noend", AnswerFault::ErrorWithoutEnd},
    {"endless", AnswerFault::NeverEnds},
    {"empty", AnswerFault::Empty},
    {"truncated", AnswerFault::Truncated},
    {"garbage", AnswerFault::Garbage},
    {"nuls", AnswerFault::Nuls},
    {"lower", AnswerFault::LowerCase},
}};

// Bytes no supply sends: controls, high bytes, signs where digits belong.
constexpr std::string_view kGarbage = "#\x7f\x01\xff?+-Z;\x1b";
}  // namespace

std::optional<AnswerFault> AnswerFaultNamed(std::string_view name) {
    for (const NamedFault& named : kNames)
        if (named.name == name) return named.fault;
    return std::nullopt;
}

std::string_view AnswerFaultName(AnswerFault fault) {
    for (const NamedFault& named : kNames)
        if (named.fault == fault) return named.name;
    return {};
}

std::string AnswerFaultNames() {
    std::string names;
    for (const NamedFault& named : kNames)
        names += (names.empty() ? "" : "|") + std::string(named.name);
    return names;
}

std::optional<int> PlannedFaults::NextWrite() {
    ++writes_;
    const auto spoil = spoils_.find(writes_);
    spoil_ = spoil == spoils_.end() ? std::nullopt : std::optional(spoil->second);
    const auto refusal = refusals_.find(writes_);
    if (refusal == refusals_.end()) return std::nullopt;
    return refusal->second;
}

void PlannedFaults::AnswerSpoiled() {
    const bool lasting = spoil_ == AnswerFault::TimeOut || spoil_ == AnswerFault::ErrorWithoutEnd ||
                         spoil_ == AnswerFault::NeverEnds;
    if (!lasting) spoil_.reset();
}

std::string PlannedFaults::Spoiled(AnswerFault fault, std::string answer) {
    switch (fault) {
        case AnswerFault::Empty:
            return {};
        case AnswerFault::Truncated:
            answer.resize(answer.size() / 2);
            return answer;
        case AnswerFault::Garbage:
            for (std::size_t i = 0; i < answer.size(); ++i)
                answer[i] = kGarbage[i % kGarbage.size()];
            return answer;
        case AnswerFault::Nuls:
            return std::string(answer.size(), '\0');
        case AnswerFault::LowerCase:
            for (char& c : answer)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return answer;
        default:
            return answer;
    }
}

}  // namespace bench
