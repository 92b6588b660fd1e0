// Faults the bench can put on one exchange with an instrument: a refused write, a spoiled answer.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace bench {

// What becomes of the answer to one message.
enum class AnswerFault {
    TimeOut,          // nothing comes: every read times out
    ErrorWithoutEnd,  // every read fails with ERR and EBUS, neither TIMO nor END
    NeverEnds,        // every read fills its buffer and none carries END
    Empty,            // the read ends at once with END and no byte
    Truncated,        // only the first half of the answer comes, with END
    Garbage,          // as many bytes, none of them the answer's
    Nuls,             // as many NUL bytes
    LowerCase,        // the answer's letters in lower case
};

// The names GPIB_BENCH gives the answer faults: "timeout", "noend", ...
std::optional<AnswerFault> AnswerFaultNamed(std::string_view name);
std::string_view AnswerFaultName(AnswerFault fault);
// All of those names, in order, each after a "|" but the first.
std::string AnswerFaultNames();

// The faults planned for one instrument, by the number of the write they hit, counted from the
// first write addressed to it (refused ones included).
class PlannedFaults {
public:
    void RefuseWrite(int write, int iberr) { refusals_[write] = iberr; }
    void SpoilAnswer(int write, AnswerFault fault) { spoils_[write] = fault; }
    int Writes() const { return writes_; }

    // Counts a write; the error it fails with, if it is planned to fail.
    std::optional<int> NextWrite();
    // The fault on the answer to the latest write, if any.
    std::optional<AnswerFault> Spoil() const { return spoil_; }
    // A content fault spoils one read; the lasting ones stay until the next write.
    void AnswerSpoiled();

    // The answer as the fault makes it; `answer` is all the instrument had to say.
    static std::string Spoiled(AnswerFault fault, std::string answer);

private:
    std::map<int, int> refusals_;
    std::map<int, AnswerFault> spoils_;
    std::optional<AnswerFault> spoil_;
    int writes_ = 0;
};

}  // namespace bench
