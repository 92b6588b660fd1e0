// What the Tektronix TM 5000 modules share: message syntax, answers, SRQ and discarding on error.
#include "bench/tektronix.h"

#include <optional>

#include "bench/numbers.h"
#include "bench/text.h"

namespace bench {

namespace {
bool IsLetter(char c) {
    return c >= 'A' && c <= 'Z';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "VPOS 5", "vpos?", "OUT ON": a header of letters (digits may follow), then "?" or an
// argument after a blank. Nothing for anything else.
std::optional<TekCommand> ParseCommand(std::string_view text) {
    const std::string upper = Upper(text);
    std::size_t at = 0;
    if (upper.empty() || !IsLetter(upper[0])) return std::nullopt;
    while (at < upper.size() && (IsLetter(upper[at]) || IsDigit(upper[at]))) ++at;
    TekCommand command;
    command.header = upper.substr(0, at);
    std::string_view rest = std::string_view(upper).substr(at);
    if (!rest.empty() && rest.front() == '?') {
        command.query = true;
        return Trim(rest.substr(1)).empty() ? std::optional(command) : std::nullopt;
    }
    if (!rest.empty() && !IsBlank(rest.front())) return std::nullopt;
    command.argument = std::string(Trim(rest));
    return command;
}

std::optional<bool> ParseOnOff(const std::string& argument) {
    if (argument == "ON") return true;
    if (argument == "OFF") return false;
    return std::nullopt;
}
}  // namespace

bool IsHeader(const TekCommand& command, std::string_view shortForm, std::string_view longForm) {
    return command.header == shortForm || command.header == longForm;
}

void AppendNumberAnswer(std::string& answer, std::string_view header, long value, int decimals) {
    answer.append(header).append(" ").append(FormatMilli(value, decimals)).append(";");
}

void AppendSwitchAnswer(std::string& answer, std::string_view header, bool on) {
    answer.append(header).append(on ? " ON;" : " OFF;");
}

std::uint8_t SetOrAnswerNumber(const TekCommand& command, const NumberRule& rule,
                               std::string_view answerHeader, long& value, std::string& answer) {
    if (command.query) {
        AppendNumberAnswer(answer, answerHeader, value, rule.decimals);
        return 0;
    }
    const std::optional<double> number = ParseNumber(command.argument);
    if (!number) return kTekCommandError;
    const std::optional<long> milli = ToMilli(*number, rule.step);
    if (!milli || *milli < rule.min || *milli > rule.max) return kTekExecutionError;
    value = *milli;
    return 0;
}

std::uint8_t SetOrAnswerSwitch(const TekCommand& command, std::string_view answerHeader, bool& on,
                               std::string& answer) {
    if (command.query) {
        AppendSwitchAnswer(answer, answerHeader, on);
        return 0;
    }
    const std::optional<bool> wanted = ParseOnOff(command.argument);
    if (!wanted) return kTekCommandError;
    on = *wanted;
    return 0;
}

std::uint8_t AnswerIdentity(const TekCommand& command, std::string_view identity,
                            std::string& answer) {
    if (!command.query) return kTekCommandError;
    answer.append("ID ").append(identity).append(";");
    return 0;
}

void TekInstrument::Listen(std::string_view bytes, bool eoi, double /*now*/) {
    input_.append(bytes);
    if (!eoi) return;
    const std::string message = std::move(input_);
    input_.clear();
    // A new message replaces any answer not read yet, even when it asks nothing itself.
    output_.Clear();
    std::string answer;
    const std::uint8_t error = Run(message, answer);
    if (error != 0) {
        statusByte_ = error;
        return;
    }
    output_.Set(std::move(answer));
}

std::uint8_t TekInstrument::Run(std::string_view message, std::string& answer) {
    BeginMessage();
    for (std::string_view text : Split(message, ';')) {
        if (Trim(text).empty()) continue;
        const std::optional<TekCommand> command = ParseCommand(text);
        if (!command) return kTekCommandError;
        if (const std::uint8_t error = Execute(*command, answer); error != 0) return error;
    }
    CommitMessage();
    return 0;
}

std::optional<double> TekInstrument::AnswerReadyAt() const {
    return output_.ReadyAt();
}

std::string TekInstrument::Talk(std::size_t max, bool& eoi) {
    return output_.Take(max, eoi);
}

void TekInstrument::DeviceClear() {
    input_.clear();
    output_.Clear();
}

std::uint8_t TekInstrument::SerialPoll() {
    // Polling withdraws the service request; the next poll reads "no status".
    const std::uint8_t status = statusByte_;
    statusByte_ = 0;
    return status;
}

bool TekInstrument::RestoreSettings(const std::string& settings) {
    std::string ignoredAnswer;
    return Run(settings, ignoredAnswer) == 0;
}

}  // namespace bench
