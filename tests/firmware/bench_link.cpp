// The bench's instrument at one address, through the bench's own calls.
#include "bench_link.h"

#include "driver/status.h"

namespace firmware {

namespace {
constexpr int kT1s = 11;              // nothing waits on the bench's clock here: any time-out
constexpr long kLargestPiece = 4096;  // an answer longer than this comes in pieces
}  // namespace

int BenchLink::Descriptor(bool eoi) {
    std::optional<int>& ud = eoi ? withEoi_ : withoutEoi_;
    if (!ud) ud = bench_.ibdev(0, pad_, 0, kT1s, eoi ? 1 : 0, 0);
    return *ud;
}

void BenchLink::Deliver(const std::string& bytes, bool end) {
    bench_.ibwrt(Descriptor(end), bytes.data(), static_cast<long>(bytes.size()));
}

std::optional<double> BenchLink::AnswerReadyAt() const {
    const bench::Instrument* instrument = bench_.At(pad_);
    return instrument ? instrument->AnswerReadyAt() : std::nullopt;
}

bool BenchLink::Take(std::string& bytes) {
    std::string piece(kLargestPiece, '\0');
    const int status = bench_.ibrd(Descriptor(true), piece.data(), kLargestPiece);
    const long count = status & driver::ERR ? 0 : bench_.LastStatus().ibcntl;
    bytes.assign(piece, 0, static_cast<std::size_t>(count));
    return (status & driver::END) != 0;
}

std::uint8_t BenchLink::StatusByte() {
    char status = 0;
    bench_.ibrsp(Descriptor(true), &status);
    return static_cast<std::uint8_t>(status);
}

void BenchLink::Clear() {
    bench_.ibclr(Descriptor(true));
}

}  // namespace firmware
