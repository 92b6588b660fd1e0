// The commands of pulvar-cli, each on the supply that the session found.
#pragma once

#include <iosfwd>

#include "cli/command_line.h"
#include "cli/supply_session.h"

// Runs the request; returns the exit status (a bus error ends the program before that).
int RunCommand(const CliRequest& request, SupplyLink& link, std::ostream& out);

// "PS5010 at GPIB address 5", or its JSON object.
int Identify(const CliRequest& request, SupplyLink& link, std::ostream& out);
