// pulvar-cli's words with the supply: the queries and commands of the window, read back the same.
#pragma once

#include <QString>
#include <optional>

#include "cli/command_line.h"
#include "cli/reading.h"
#include "cli/supply_session.h"

QString AskSupply(SupplyLink& link, const QString& query);
void SendToSupply(SupplyLink& link, const QString& command);

// The channel the request names; nothing, after saying why, when the supply has no such output.
std::optional<Channel> RequestedChannel(SupplyLink& link, const CliRequest& request);

// The channel's voltage setting, current limit and output state, as the window shows them.
Reading ReadSupply(SupplyLink& link, Channel channel);
