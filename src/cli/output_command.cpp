// output on|off: the switch command, then the output state read back.
#include <ostream>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/reading_report.h"
#include "cli/supply_talk.h"
#include "rules/bus_text.h"
#include "rules/readback_rules.h"

int SwitchOutput(const CliRequest& request, SupplyLink& link, std::ostream& out) {
    SendToSupply(link, request.switchOn ? QStringLiteral("OUT ON") : QStringLiteral("OUT OFF"));
    const QString state = ReadOutputStateText(link.bus, link.supply);
    out << OutputStateReport(state, request.json);
    // A script must not take a supply that kept its state for one that switched.
    if (IsOutputOnText(state) != request.switchOn) {
        link.platform.MessageBox("The supply did not switch its output " +
                                     std::string(request.switchOn ? "on." : "off."),
                                 "Output Error", BoxIcon::Information, BoxButtons::Ok);
        return ExitStatus::kNotSwitched;
    }
    return ExitStatus::kDone;
}
