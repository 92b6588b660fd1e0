// What Apply decides before it talks to the supply: the limits, the questions, the commands.
#include "rules/apply_rules.h"

#include "rules/number_text.h"

namespace {

float SingleValue(const QString& text) {
    return static_cast<float>(TextToNumber(text));
}

QString Question(const char* setting, const QString& mustBe, const char* instead) {
    return QStringLiteral("Invalid %1 setting !\n").arg(QLatin1String(setting)) + mustBe +
           QStringLiteral("\n\nDo you want to use %1 instead ?").arg(QLatin1String(instead));
}

}  // namespace

float MaxCurrentFor(const SupplyModel& model, const QString& voltageText) {
    return model.MaxCurrentAt(SingleValue(voltageText));
}

std::optional<LimitQuestion> VoltageAboveLimit(const QString& newVoltage, float maxVoltage) {
    if (!(SingleValue(newVoltage) > maxVoltage)) return std::nullopt;
    const QString mustBe =
        QStringLiteral("Must be less than") + PlainNumberText(maxVoltage) + QStringLiteral(" V.");
    return LimitQuestion{QStringLiteral("Voltage Error"),
                         Question("voltage", mustBe, "Max Voltage"), NrToStr(maxVoltage, 103)};
}

std::optional<LimitQuestion> CurrentBelowLimit(const QString& newCurrent, float minCurrent) {
    if (newCurrent.isEmpty() || !(SingleValue(newCurrent) < minCurrent)) return std::nullopt;
    // The plain form leaves out the "0" before the point: " .05" reads "0.05" here.
    const QString mustBe = QStringLiteral("Must be more than 0") +
                           PlainNumberText(minCurrent).remove(u' ') + QStringLiteral(" A.");
    return LimitQuestion{QStringLiteral("Current Error"),
                         Question("current", mustBe, "Min Current"), NrToStr(minCurrent, 103)};
}

std::optional<LimitQuestion> CurrentAboveLimit(const QString& currentText, float maxCurrent) {
    if (!(SingleValue(currentText) > maxCurrent)) return std::nullopt;
    const QString mustBe =
        QStringLiteral("Must be less than") + NrToStr(maxCurrent, 104) + QStringLiteral(" A");
    return LimitQuestion{QStringLiteral("Current Error"),
                         Question("current", mustBe, "Max Current"), NrToStr(maxCurrent, 104)};
}

bool PassLimits(const SupplyModel& model, QString& voltage, QString& current,
                const std::function<QString(LimitedValue)>& shown,
                const std::function<bool(const LimitQuestion&, LimitedValue)>& decide) {
    const auto typedOrShown = [&](const QString& value, LimitedValue which) {
        return value.isEmpty() ? shown(which) : value;
    };
    const auto passes = [&](const std::optional<LimitQuestion>& question, LimitedValue which,
                            QString& value) {
        if (!question) return true;
        if (!decide(*question, which)) return false;
        value = question->limitText;
        return true;
    };
    using enum LimitedValue;
    // Judged by the voltage as typed, before its own check may put the limit in its place; only a
    // limit that follows the voltage needs to know it.
    const float maxCurrent = model.currentCeiling
                                 ? MaxCurrentFor(model, typedOrShown(voltage, Voltage))
                                 : model.MaxCurrent;
    // The last check reads the current as the first two left it.
    return passes(VoltageAboveLimit(voltage, model.MaxVoltage), Voltage, voltage) &&
           passes(CurrentBelowLimit(current, model.MinCurrent), Current, current) &&
           passes(CurrentAboveLimit(typedOrShown(current, Current), maxCurrent), Current, current);
}

bool ApplyFindsOutputOff(const QString& reply) {
    return reply == QLatin1String("0") || reply.contains(QLatin1String("OFF"));
}

QStringList SetCommands(const SupplyModel& model, Channel channel, const QString& newVoltage,
                        const QString& newCurrent) {
    const CommandWordPair& words = model.Facts(channel).CommandWords;
    QStringList commands;
    if (!newVoltage.isEmpty()) commands << QLatin1String(words.voltage) + newVoltage;
    if (!newCurrent.isEmpty()) commands << QLatin1String(words.current) + newCurrent;
    return commands;
}
