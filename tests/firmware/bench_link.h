// The bench's instrument at one address, reached through the bench's own calls (ibwrt, ibrd,
// ibrsp, ibclr), so that its faults, its state file and its trace work as on the bench: the
// trace shows every message that crossed the bus as the bench's trace shows a call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "bench/bench.h"

namespace firmware {

class BenchLink {
public:
    BenchLink(bench::Bench& bench, int pad) : bench_(bench), pad_(pad) {}

    // A message heard on the bus: `end` when EOI came with its last byte.
    void Deliver(const std::string& bytes, bool end);
    // From when the instrument's answer can be taken; nothing when it has nothing to say.
    std::optional<double> AnswerReadyAt() const;
    // The instrument's answer, or what is left of it; true when its last byte is in `bytes`.
    bool Take(std::string& bytes);
    std::uint8_t StatusByte();
    void Clear();

private:
    // A descriptor of the address, with or without EOI on the last byte written.
    int Descriptor(bool eoi);

    bench::Bench& bench_;
    int pad_;
    std::optional<int> withEoi_;
    std::optional<int> withoutEoi_;
};

}  // namespace firmware
