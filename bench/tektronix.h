// What the Tektronix TM 5000 modules share: message syntax, answers, SRQ and discarding on error.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bench/answer_buffer.h"
#include "bench/instrument.h"

namespace bench {

// One command of a message, upper-cased: its header, the query mark and the argument.
struct TekCommand {
    std::string header;
    bool query = false;
    std::string argument;
};

// Status bytes of the family, service request bit included.
constexpr std::uint8_t kTekCommandError = 97;    // a command the module does not understand
constexpr std::uint8_t kTekExecutionError = 98;  // an argument outside the module's range

// How a number setting is taken: its resolution and range in milli-units, its answer's decimals.
struct NumberRule {
    long step;
    long min;
    long max;
    int decimals;
};

// Whether `header` is the short or the long form of a command.
bool IsHeader(const TekCommand& command, std::string_view shortForm, std::string_view longForm);

// A number setting: the query appends "<answerHeader> <value>;", the command rounds its
// argument to the step and then checks the range. Returns 0 or the status byte of the error.
std::uint8_t SetOrAnswerNumber(const TekCommand& command, const NumberRule& rule,
                               std::string_view answerHeader, long& value, std::string& answer);

// An ON/OFF setting, answered "<answerHeader> ON;" or "<answerHeader> OFF;".
std::uint8_t SetOrAnswerSwitch(const TekCommand& command, std::string_view answerHeader, bool& on,
                               std::string& answer);

// "ID?": "ID TEK/<model>,<firmware>;".
std::uint8_t AnswerIdentity(const TekCommand& command, std::string_view identity,
                            std::string& answer);

// The answer forms, also used to write settings down as a message.
void AppendNumberAnswer(std::string& answer, std::string_view header, long value, int decimals);
void AppendSwitchAnswer(std::string& answer, std::string_view header, bool on);

class TekInstrument : public Instrument {
public:
    void Listen(std::string_view bytes, bool eoi, double now) override;
    std::optional<double> AnswerReadyAt() const override;
    std::string Talk(std::size_t max, bool& eoi) override;
    void DeviceClear() override;
    std::uint8_t SerialPoll() override;
    bool RestoreSettings(const std::string& settings) override;

protected:
    // A message begins: the settings it changes are gathered apart until it is accepted.
    virtual void BeginMessage() = 0;
    // One command against the gathered settings; a query appends its answer.
    // Returns 0, or the status byte of the error.
    virtual std::uint8_t Execute(const TekCommand& command, std::string& answer) = 0;
    // The whole message was accepted: its settings take effect together.
    virtual void CommitMessage() = 0;

private:
    // Runs every command of a message; 0 and the answers, or the first error's status byte.
    std::uint8_t Run(std::string_view message, std::string& answer);

    std::string input_;
    AnswerBuffer output_;
    std::uint8_t statusByte_ = 0;
};

// A module with settings: the message works on a copy that replaces them once accepted.
template <class SupplySettings>
class TekSupply : public TekInstrument {
protected:
    void BeginMessage() override { pending_ = settings_; }
    void CommitMessage() override { settings_ = pending_; }

    // "INIT": back to the power-on settings.
    std::uint8_t Initialize(const TekCommand& command) {
        if (command.query || !command.argument.empty()) return kTekCommandError;
        pending_ = SupplySettings{};
        return 0;
    }

    SupplySettings settings_{};  // in effect
    SupplySettings pending_{};   // as the message being run leaves them
};

}  // namespace bench
