// set: Apply's checks against the supply's limits, its commands, then the read-back.
#include <ostream>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/reading_report.h"
#include "cli/supply_talk.h"
#include "rules/apply_rules.h"
#include "rules/bus_text.h"

namespace {
// A value beyond a limit is refused with the window's message, or, clamped, replaced by the
// limit's own text as Yes does in the window.
bool UseLimitIfClamped(const LimitQuestion& question, bool clamp, Platform& platform) {
    if (clamp) return true;
    platform.MessageBox(question.text.toStdString(), question.title.toStdString(),
                        BoxIcon::Critical, BoxButtons::YesNo);
    return false;
}
}  // namespace

int Set(const CliRequest& request, SupplyLink& link, std::ostream& out) {
    const std::optional<Channel> channel = RequestedChannel(link, request);
    if (!channel) return ExitStatus::kValueRefused;
    QString voltage = QString::fromStdString(request.voltage);
    QString current = QString::fromStdString(request.current);
    // Where the window takes a value it shows, the supply is asked for it.
    const auto shown = [&](LimitedValue which) {
        return which == LimitedValue::Voltage ? ReadVoltageCaption(link.bus, link.supply, *channel)
                                              : ReadCurrentCaption(link.bus, link.supply, *channel);
    };
    const auto decide = [&](const LimitQuestion& question, LimitedValue) {
        return UseLimitIfClamped(question, request.clamp, link.platform);
    };
    if (!PassLimits(link.supply, voltage, current, shown, decide)) return ExitStatus::kValueRefused;

    if (request.offFirst && !ApplyFindsOutputOff(AskSupply(link, QStringLiteral("OUT?")))) {
        SendToSupply(link, QStringLiteral("OUT OFF"));
        link.bus.Pause(kOutputOffSettleSeconds);
    }
    for (const QString& command : SetCommands(link.supply, *channel, voltage, current))
        SendToSupply(link, command);
    out << ReadingReport(ReadSupply(link, *channel), request.json);
    return ExitStatus::kDone;
}
