// The Hewlett-Packard 6032A: 60 V / 50 A autoranging supply, CR LF answers, numbered errors.
#include <cstdint>

#include "bench/answer_buffer.h"
#include "bench/instruments.h"
#include "bench/numbers.h"
#include "bench/text.h"

namespace bench {

namespace {

// The codes that "ERR?" reports.
enum HpError : int {
    kNoError = 0,
    kUnrecognizedCharacter = 1,
    kImproperNumber = 2,
    kUnrecognizedString = 3,
    kSyntaxError = 4,
    kOutOfRange = 5,
    kNoQuery = 8,
};

constexpr std::uint8_t kReadyBit = 0x10;  // serial poll: ready for commands
constexpr std::uint8_t kErrorBit = 0x20;  // serial poll: an error waits to be read with ERR?

// Power-on: 0 V, 0 A, output on (the one setting the supply does not store).
struct HpSettings {
    long milliVolts = 0;
    long milliAmps = 0;
    bool on = true;
};

// A programmed level: its programming maximum and the units that may follow the number.
struct Level {
    double max;
    std::string_view unit;
    std::string_view milliUnit;
};
constexpr Level kVolts{61.425, "V", "MV"};
constexpr Level kAmps{51.1875, "A", "MA"};

bool IsAllowed(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' ||
           c == '?' || IsBlank(c);
}

bool IsNumberCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'E';
}

// "VSET 12.500", "ISET  1.000": five digits with the point, leading zeros as blanks.
std::string LevelAnswer(std::string_view header, long milli) {
    std::string number = FormatMilli(milli, 3);
    if (number.size() < 6) number.insert(0, 6 - number.size(), ' ');
    return std::string(header) + " " + number;
}

// "12.5", "20 MV", "2E1V" into milli-units of the level, or the error it makes.
int ParseLevel(std::string_view argument, const Level& level, long& milli) {
    argument = Trim(argument);
    std::size_t length = 0;
    while (length < argument.size() && IsNumberCharacter(argument[length])) ++length;
    if (length == 0) return kSyntaxError;
    const std::optional<double> number = ParseNumber(argument.substr(0, length));
    if (!number) return kImproperNumber;
    const std::string_view unit = Trim(argument.substr(length));
    double value = *number;
    if (unit == level.milliUnit) {
        value /= 1000.0;
    } else if (!unit.empty() && unit != level.unit) {
        return kSyntaxError;
    }
    if (value < 0 || value > level.max + 1e-9) return kOutOfRange;
    milli = *ToMilli(value, 1);
    return kNoError;
}

int ParseSwitch(std::string_view argument, bool& on) {
    argument = Trim(argument);
    if (argument == "ON" || argument == "1") {
        on = true;
    } else if (argument == "OFF" || argument == "0") {
        on = false;
    } else {
        return kSyntaxError;
    }
    return kNoError;
}

class Hp6032a : public Instrument {
public:
    std::string Kind() const override { return "HP6032A"; }
    void Listen(std::string_view bytes, bool eoi, double now) override;
    std::optional<double> AnswerReadyAt() const override { return output_.ReadyAt(); }
    std::string Talk(std::size_t max, bool& eoi) override { return output_.Take(max, eoi); }
    void TalkedWithNothingToSay() override { error_ = kNoQuery; }
    void DeviceClear() override;
    std::uint8_t SerialPoll() override { return kReadyBit | (error_ != kNoError ? kErrorBit : 0); }
    std::string Settings() const override;
    bool RestoreSettings(const std::string& settings) override;

private:
    // Carries out every command of a line; an erroneous one is skipped and its error kept.
    void RunLine(std::string_view line);
    // One command against `s`; a query sets `answer`. Returns the error code.
    int Execute(std::string_view command, HpSettings& s, std::string& answer);
    int Query(const std::string& header, const HpSettings& s, std::string& answer);
    int Set(const std::string& header, std::string_view argument, HpSettings& s);

    HpSettings settings_;
    std::string line_;
    AnswerBuffer output_;
    int error_ = kNoError;
};

void Hp6032a::Listen(std::string_view bytes, bool eoi, double /*now*/) {
    // LF ends a command line as EOI does; ";" separates commands within it.
    for (char c : bytes) {
        if (c == '\n') {
            RunLine(line_);
            line_.clear();
        } else {
            line_ += c;
        }
    }
    if (eoi) {
        RunLine(line_);
        line_.clear();
    }
}

void Hp6032a::RunLine(std::string_view line) {
    for (std::string_view command : Split(line, ';')) {
        if (Trim(command).empty()) continue;
        std::string answer;
        const int error = Execute(command, settings_, answer);
        if (error != kNoError) {
            error_ = error;
        } else if (!answer.empty()) {
            // Only the latest answer is kept.
            output_.Set(answer + "\r\n");
        }
    }
}

int Hp6032a::Execute(std::string_view command, HpSettings& s, std::string& answer) {
    const std::string text(Trim(Upper(command)));
    for (char c : text) {
        if (!IsAllowed(c)) return kUnrecognizedCharacter;
    }
    std::size_t length = 0;
    while (length < text.size() && text[length] >= 'A' && text[length] <= 'Z') ++length;
    if (length == 0) return kSyntaxError;
    const std::string header = text.substr(0, length);
    const std::string_view rest = std::string_view(text).substr(length);
    if (!rest.empty() && rest.front() == '?') {
        if (!Trim(rest.substr(1)).empty()) return kSyntaxError;
        return Query(header, s, answer);
    }
    return Set(header, rest, s);
}

int Hp6032a::Query(const std::string& header, const HpSettings& s, std::string& answer) {
    if (header == "VSET") {
        answer = LevelAnswer("VSET", s.milliVolts);
    } else if (header == "ISET") {
        answer = LevelAnswer("ISET", s.milliAmps);
    } else if (header == "OUT") {
        answer = s.on ? "OUT 1" : "OUT 0";
    } else if (header == "VOUT") {
        // No load on the bench: the output sits at its setting while on, and gives no current.
        answer = LevelAnswer("VOUT", s.on ? s.milliVolts : 0);
    } else if (header == "IOUT") {
        answer = LevelAnswer("IOUT", 0);
    } else if (header == "STS") {
        answer = s.on ? "STS 1" : "STS 0";  // constant voltage while on
    } else if (header == "ERR") {
        answer = "ERR " + std::to_string(error_);
        error_ = kNoError;
    } else if (header == "ID") {
        answer = "HP6032A";
    } else if (header == "RST" || header == "CLR") {
        return kSyntaxError;
    } else {
        return kUnrecognizedString;
    }
    return kNoError;
}

int Hp6032a::Set(const std::string& header, std::string_view argument, HpSettings& s) {
    if (header == "VSET") return ParseLevel(argument, kVolts, s.milliVolts);
    if (header == "ISET") return ParseLevel(argument, kAmps, s.milliAmps);
    if (header == "OUT") return ParseSwitch(argument, s.on);
    if (header == "CLR" || header == "RST") {
        if (!Trim(argument).empty()) return kSyntaxError;
        // CLR: back to the power-on state. RST: resets a tripped protection; none trips here.
        if (header == "CLR") s = HpSettings{};
        return kNoError;
    }
    if (header == "VOUT" || header == "IOUT" || header == "STS" || header == "ERR" ||
        header == "ID") {
        return kSyntaxError;
    }
    return kUnrecognizedString;
}

void Hp6032a::DeviceClear() {
    line_.clear();
    output_.Clear();
}

std::string Hp6032a::Settings() const {
    return "VSET " + FormatMilli(settings_.milliVolts, 3) + ";ISET " +
           FormatMilli(settings_.milliAmps, 3) + (settings_.on ? ";OUT 1" : ";OUT 0");
}

bool Hp6032a::RestoreSettings(const std::string& settings) {
    HpSettings restored;
    std::string ignoredAnswer;
    for (std::string_view command : Split(settings, ';')) {
        if (Execute(command, restored, ignoredAnswer) != kNoError) return false;
    }
    settings_ = restored;
    return true;
}

}  // namespace

std::unique_ptr<Instrument> MakeHp6032a() {
    return std::make_unique<Hp6032a>();
}

}  // namespace bench
