// The read-back's answer parsing, per model: an answer as the supply gives it shows as the
// number its digits say (to the caption's last digit), whatever its header's letters and
// padding; any answer at all gives a tidy caption and an output state the window can show.
#include <fuzzer/FuzzedDataProvider.h>

#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "property.h"
#include "rules/number_text.h"
#include "rules/readback_rules.h"
#include "rules/supplies.h"

namespace {

const SupplyModel& Model(int16_t code) {
    for (const SupplyModel& model : kSupplyModels)
        if (model.ModelCode == code) return model;
    std::abort();
}

// How a model answers a level query: "VSET 12.500", "VOLTAGE 5.500;", "VPOS 12.50;".
struct AnswerForm {
    int16_t model;
    const char* voltageHeader;
    const char* currentHeader;
    double maxVoltage;
    double maxCurrent;
    int decimals;
    const char* end;
};
constexpr AnswerForm kForms[] = {
    {kHp6032A, "VSET", "ISET", 60.0, 50.0, 3, ""},
    {kPs5004, "VOLTAGE", "CURRENT", 20.0, 0.305, 3, ";"},
    {kPs5010, "VPOS", "IPOS", 32.0, 1.6, 2, ";"},
    {kPs5010, "VNEG", "INEG", 32.0, 1.6, 3, ";"},
};

std::string Describe(const SupplyModel& model, const std::string& answer, const QString& caption) {
    return std::string("model ") + model.ModelName + ", answer \"" + answer + "\" shows \"" +
           caption.toStdString() + "\"";
}

QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

QString Caption(bool voltage, const SupplyModel& model, const std::string& answer) {
    const QString text = Latin1(answer);
    return voltage ? VoltageCaption(model, text) : CurrentCaption(model, text);
}

int FractionDigits(const QString& caption) {
    const qsizetype point = caption.indexOf(u'.');
    return point < 0 ? 0 : int(caption.size() - point - 1);
}

// A caption the frame can show: something, without blanks around it, that reads as a number.
void IsTidy(const QString& caption, const std::string& what) {
    Require(!caption.isEmpty(), what + ": an empty caption");
    Require(caption.front() != u' ' && caption.back() != u' ', what + ": blanks around it");
    Require(!std::isnan(TextToNumber(caption)), what + ": not a number");
}

// The same header with other letters: only the position of the value counts.
std::string OtherLetters(const char* header, FuzzedDataProvider& input) {
    std::string letters(header);
    for (char& letter : letters) letter = input.ConsumeIntegralInRange<char>('A', 'Z');
    return letters;
}

void WellFormedAnswerShowsItsValue(FuzzedDataProvider& input) {
    const AnswerForm& form = kForms[input.ConsumeIntegralInRange<std::size_t>(0, 3)];
    const bool voltage = input.ConsumeBool();
    const double max = voltage ? form.maxVoltage : form.maxCurrent;
    const double scale = std::pow(10.0, form.decimals);
    const double value = std::round(input.ConsumeFloatingPointInRange(0.0, max) * scale) / scale;
    // The HP 6032A pads its numbers with leading blanks, the Tektronix supplies do not.
    const int width = form.model == kHp6032A ? input.ConsumeIntegralInRange(0, 7) : 0;
    char number[32];
    std::snprintf(number, sizeof number, "%*.*f", width, form.decimals, value);
    const std::string body = std::string(" ") + number + form.end;
    const char* header = voltage ? form.voltageHeader : form.currentHeader;
    const std::string answer = header + body;

    const SupplyModel& model = Model(form.model);
    const QString caption = Caption(voltage, model, answer);
    const std::string what = Describe(model, answer, caption);
    IsTidy(caption, what);
    const double unit = std::pow(10.0, -FractionDigits(caption));
    Require(std::fabs(TextToNumber(caption) - value) <= unit / 2 + value * 1e-6 + 1e-9,
            what + ": not the answer's value to its last digit");
    Require(Caption(voltage, model, OtherLetters(header, input) + body) == caption,
            what + ": depends on the header's letters");
    Require(Caption(voltage, model, answer + "  ") == caption,
            what + ": depends on blanks after the answer");
}

const SupplyModel& AnyModel(FuzzedDataProvider& input) {
    return kSupplyModels[input.ConsumeIntegralInRange<std::size_t>(0, kSupplyModels.size() - 1)];
}

void AnyAnswerGivesATidyCaption(FuzzedDataProvider& input) {
    const SupplyModel& model = AnyModel(input);
    const bool voltage = input.ConsumeBool();
    const std::string answer = input.ConsumeRandomLengthString(40);
    const QString caption = Caption(voltage, model, answer);
    IsTidy(caption, Describe(model, answer, caption));
}

// The HP 6032A's state is always "ON" or "OFF"; the Tektronix supplies' word is shown as it
// came, and only "ON" counts as on.
void AnyAnswerGivesAnOutputState(FuzzedDataProvider& input) {
    const SupplyModel& model = AnyModel(input);
    const std::string answer = input.ConsumeRandomLengthString(24);
    const QString state = OutputStateText(model, Latin1(answer));
    const std::string what = Describe(model, answer, state);
    if (model.outputAnswer.numbered) {
        Require(state == QLatin1String("ON") || state == QLatin1String("OFF"),
                what + ": neither ON nor OFF");
    }
    Require(state.isEmpty() || (state.front() != u' ' && state.back() != u' '),
            what + ": blanks around the state");
    Require(IsOutputOnText(state) == (state == QLatin1String("ON")), what + ": on when not ON");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    switch (input.ConsumeIntegralInRange(0, 2)) {
        case 0:
            WellFormedAnswerShowsItsValue(input);
            break;
        case 1:
            AnyAnswerGivesATidyCaption(input);
            break;
        default:
            AnyAnswerGivesAnOutputState(input);
            break;
    }
    return 0;
}
