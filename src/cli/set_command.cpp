// set: Apply's checks against the supply's limits, its commands, then the read-back.
#include <ostream>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/reading_report.h"
#include "cli/supply_talk.h"
#include "panel/apply_rules.h"

namespace {
// After switching the output off before a change the supply gets the window's second to settle.
constexpr float kOffBeforeChangeSeconds = 1.0f;

// A value beyond a limit is refused with the window's message, or, clamped, replaced by the
// limit's own text as Yes does in the window.
bool UseLimitIfClamped(const std::optional<LimitQuestion>& question, bool clamp, Platform& platform,
                       QString& value) {
    if (!question) return true;
    if (clamp) {
        value = question->limitText;
        return true;
    }
    platform.MessageBox(question->text.toStdString(), question->title.toStdString(),
                        BoxIcon::Critical, BoxButtons::YesNo);
    return false;
}
}  // namespace

int Set(const CliRequest& request, SupplyLink& link, std::ostream& out) {
    const std::optional<int> channel = RequestedChannel(link, request);
    if (!channel) return ExitStatus::kValueRefused;
    ConnectedSupply& supply = link.supply;
    QString voltage = QString::fromStdString(request.voltage);
    QString current = QString::fromStdString(request.current);
    // Where the window takes a value it shows, the supply is asked for it.
    if (supply.ModelCode == kPs5010)
        supply.MaxCurrent =
            Ps5010CurrentCeiling(voltage.isEmpty() ? ReadVoltage(link, *channel) : voltage);
    const bool clamp = request.clamp;
    if (!UseLimitIfClamped(VoltageAboveLimit(voltage, supply.MaxVoltage), clamp, link.platform,
                           voltage) ||
        !UseLimitIfClamped(CurrentBelowLimit(current, supply.MinCurrent), clamp, link.platform,
                           current))
        return ExitStatus::kValueRefused;
    const QString currentNow = current.isEmpty() ? ReadCurrent(link, *channel) : current;
    if (!UseLimitIfClamped(CurrentAboveLimit(currentNow, supply.MaxCurrent), clamp, link.platform,
                           current))
        return ExitStatus::kValueRefused;

    if (request.offFirst && !ApplyFindsOutputOff(AskSupply(link, QStringLiteral("OUT?")))) {
        SendToSupply(link, QStringLiteral("OUT OFF"));
        link.bus.Pause(kOffBeforeChangeSeconds);
    }
    for (const QString& command : SetCommands(*channel, voltage, current))
        SendToSupply(link, command);
    out << ReadingReport(ReadSupply(link, *channel), request.json);
    return ExitStatus::kDone;
}
