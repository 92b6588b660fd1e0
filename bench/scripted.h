// A test instrument: raw answers set by the test, optionally late, and a record of what it heard.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bench/answer_buffer.h"
#include "bench/instrument.h"

namespace bench {

// Each message ended by EOI is recorded and replaces any unread answer with the answer set for
// it: bytes as given (NULs, CR LF, LF CR, several hundred bytes...), readable `delay` seconds
// of bench time after the message arrived. A message with no answer set leaves nothing to say.
class ScriptedInstrument : public Instrument {
public:
    // The answer to every message equal to `message`, byte for byte.
    void AnswerTo(std::string message, std::string answer, double delay = 0.0);
    // The answer to every message without an answer of its own.
    void AnswerAnyMessage(std::string answer, double delay = 0.0);
    void SetStatusByte(std::uint8_t status) { statusByte_ = status; }

    const std::vector<std::string>& Received() const { return received_; }
    int DeviceClears() const { return deviceClears_; }

    std::string Kind() const override { return "SCRIPTED"; }
    void Listen(std::string_view bytes, bool eoi, double now) override;
    std::optional<double> AnswerReadyAt() const override { return output_.ReadyAt(); }
    std::string Talk(std::size_t max, bool& eoi) override { return output_.Take(max, eoi); }
    void DeviceClear() override;
    std::uint8_t SerialPoll() override { return statusByte_; }

private:
    struct Reply {
        std::string bytes;
        double delay;  // seconds until the answer is ready; always given
    };
    const Reply* ReplyTo(const std::string& message) const;

    std::map<std::string, Reply> replies_;
    std::optional<Reply> anyMessageReply_;
    std::vector<std::string> received_;
    std::string input_;
    AnswerBuffer output_;
    std::uint8_t statusByte_ = 0;
    int deviceClears_ = 0;
};

}  // namespace bench
