// The commands of pulvar-cli, each on the supply that the session found.
#pragma once

#include <iosfwd>

#include "cli/command_line.h"
#include "cli/supply_session.h"

// Runs the request; returns the exit status (a bus error ends the program before that).
int RunCommand(const CliRequest& request, SupplyLink& link, std::ostream& out);

// "PS5010 at GPIB address 5", or its JSON object.
int Identify(const CliRequest& request, SupplyLink& link, std::ostream& out);
// "12.5 V  0.40 A  ON": the voltage setting, current limit and output state.
int Read(const CliRequest& request, SupplyLink& link, std::ostream& out);
// Apply's checks and commands, then the read-back; a refused value sends nothing.
int Set(const CliRequest& request, SupplyLink& link, std::ostream& out);
// "OUT ON" or "OUT OFF", then the output state read back.
int SwitchOutput(const CliRequest& request, SupplyLink& link, std::ostream& out);
// CSV readings at the interval until the count is reached or a stop is requested.
int Log(const CliRequest& request, SupplyLink& link, std::ostream& out);
