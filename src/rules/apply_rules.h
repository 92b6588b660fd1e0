// What Apply decides before it talks to the supply: the limits, the questions, the commands.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "rules/supplies.h"

// Every value is read as the fields and captions hold it and rounded to single precision
// before it meets a limit; a value exactly at its limit passes.

// After "OUT OFF" the supply gets a second before anything else is sent to it.
constexpr float kOutputOffSettleSeconds = 1.0f;

// The model's current limit for the voltage about to be applied (or the one shown, when none is
// typed): on the PS5010 1.6 A up to 15 V, 0.75 A above.
float MaxCurrentFor(const SupplyModel& model, const QString& voltageText);

// A value beyond the model's limit: the Yes/No question to ask, and the limit's own text that
// takes the value's place in its field when the user says Yes.
struct LimitQuestion {
    QString title;
    QString text;
    QString limitText;
};

// An empty voltage field reads 0 and so always passes.
std::optional<LimitQuestion> VoltageAboveLimit(const QString& newVoltage, float maxVoltage);
// An empty current field is not checked against the minimum.
std::optional<LimitQuestion> CurrentBelowLimit(const QString& newCurrent, float minCurrent);
// `currentText` is the typed current, or the one shown when none is typed: raising a PS5010
// above 15 V must not leave a limit above 0.75 A behind.
std::optional<LimitQuestion> CurrentAboveLimit(const QString& currentText, float maxCurrent);

// The value a limit question is about.
enum class LimitedValue { Voltage, Current };

// Apply's three checks, in its order, on the values about to be sent (empty: not typed), the
// current limit taken for the voltage as typed (or shown). Where a check needs a value that is not
// typed, `shown` gives the one the supply has. `decide` answers a question: true puts the limit's
// text in the value's place and goes on, false stops. True when the values, as they now stand,
// may be sent.
bool PassLimits(const SupplyModel& model, QString& voltage, QString& current,
                const std::function<QString(LimitedValue)>& shown,
                const std::function<bool(const LimitQuestion&, LimitedValue)>& decide);

// Apply's own reading of the answer to "OUT?": a bare "0" or any "OFF" means off. An empty
// answer (a failed query) counts as on, so the option to switch off first still protects.
bool ApplyFindsOutputOff(const QString& reply);

// The set commands for the channel, voltage before current; the texts go out as they stand
// (a limit put into a field keeps its leading blank). None when both are empty.
QStringList SetCommands(const SupplyModel& model, Channel channel, const QString& newVoltage,
                        const QString& newCurrent);
