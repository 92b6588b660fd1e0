// log: readings at an interval as CSV, until the count is reached or Ctrl+C.
#include <QDateTime>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/log_loop.h"
#include "cli/stop_signal.h"
#include "cli/supply_talk.h"

int Log(const CliRequest& request, SupplyLink& link, std::ostream& out) {
    const std::optional<Channel> channel = RequestedChannel(link, request);
    if (!channel) return ExitStatus::kValueRefused;
    RunLog(
        link.platform, {request.interval, request.count}, QDateTime::currentDateTime(),
        [&] { return ReadSupply(link, *channel); }, StopRequested, out);
    return ExitStatus::kDone;
}
