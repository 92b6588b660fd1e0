// The bench's instruments taking any messages: settings stay a message the instrument itself
// accepts, a Tektronix error discards the whole message, and a message written in pieces does
// what the same message written at once does.
#include <fuzzer/FuzzedDataProvider.h>

#include <memory>
#include <string>

#include "bench/instruments.h"
#include "property.h"

namespace {

const char* const kKinds[] = {"PS5010", "PS5004", "HP6032A", "DM5010"};

bool IsTektronix(const std::string& kind) {
    return kind != "HP6032A";
}

std::string Answer(bench::Instrument& instrument) {
    bool eoi = false;
    return instrument.AnswerReadyAt() ? instrument.Talk(1 << 20, eoi) : std::string();
}

void CheckAnswerForm(const std::string& kind, const std::string& answer, const std::string& what) {
    if (answer.empty()) return;
    const std::string ending = IsTektronix(kind) ? ";" : "\r\n";
    Require(answer.size() >= ending.size() &&
                answer.compare(answer.size() - ending.size(), ending.size(), ending) == 0,
            what + ": answer \"" + answer + "\" does not end as the instrument ends answers");
    for (std::size_t i = 0; i + ending.size() < answer.size(); ++i) {
        Require(answer[i] >= 0x20 && answer[i] <= 0x7e, what + ": unprintable byte in the answer");
    }
}

// What a supply keeps is what a fresh one of its kind accepts as one message, unchanged.
void CheckSettingsStandAsAMessage(const std::string& kind, const bench::Instrument& instrument,
                                  const std::string& what) {
    const std::string settings = instrument.Settings();
    const std::unique_ptr<bench::Instrument> fresh = bench::MakeInstrument(kind);
    Require(fresh->RestoreSettings(settings), what + ": settings \"" + settings + "\" refused");
    Require(fresh->Settings() == settings,
            what + ": settings \"" + settings + "\" read back as \"" + fresh->Settings() + "\"");
}

void RunMessages(const std::string& kind, FuzzedDataProvider& input) {
    const std::unique_ptr<bench::Instrument> whole = bench::MakeInstrument(kind);
    const std::unique_ptr<bench::Instrument> pieces = bench::MakeInstrument(kind);
    while (input.remaining_bytes() > 0) {
        const std::string message = input.ConsumeRandomLengthString(64);
        const std::string what = kind + " after \"" + message + "\"";
        const std::string before = whole->Settings();

        whole->Listen(message, true, 0.0);
        const std::size_t cut = input.ConsumeIntegralInRange<std::size_t>(0, message.size());
        pieces->Listen(message.substr(0, cut), false, 0.0);
        pieces->Listen(message.substr(cut), true, 0.0);

        const std::uint8_t status = whole->SerialPoll();
        Require(pieces->SerialPoll() == status && pieces->Settings() == whole->Settings() &&
                    pieces->AnswerReadyAt() == whole->AnswerReadyAt(),
                what + ": written in two pieces it does otherwise");
        if (IsTektronix(kind) && status != 0) {
            // Nothing of the message, and nothing of an answer left unread before it.
            Require(whole->Settings() == before && !whole->AnswerReadyAt(),
                    what + ": an error kept part of the message or an earlier answer");
        }
        // The answer is read now and then; left unread, the next message meets it.
        if (input.ConsumeBool()) {
            const std::string answer = Answer(*whole);
            Require(Answer(*pieces) == answer,
                    what + ": written in two pieces it answers otherwise");
            CheckAnswerForm(kind, answer, what);
        }
        CheckSettingsStandAsAMessage(kind, *whole, what);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    RunMessages(input.PickValueInArray(kKinds), input);
    return 0;
}
