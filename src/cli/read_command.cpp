// read: the voltage setting, current limit and output state, as the window shows them.
#include <ostream>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/reading_report.h"
#include "cli/supply_talk.h"

int Read(const CliRequest& request, SupplyLink& link, std::ostream& out) {
    const std::optional<Channel> channel = RequestedChannel(link, request);
    if (!channel) return ExitStatus::kValueRefused;
    out << ReadingReport(ReadSupply(link, *channel), request.json);
    return ExitStatus::kDone;
}
