// What pulvar-cli was asked to do, read from its command line before anything is loaded.
#pragma once

#include <QStringList>
#include <string>

enum class CliCommand { Identify, Read, Set, Output, Log };

struct CliRequest {
    CliCommand command = CliCommand::Identify;
    bool json = false;
    bool minusOutput = false;  // the PS5010's "-" output
    std::string voltage;       // as given, a plain unsigned decimal number; empty when absent
    std::string current;
    bool clamp = false;
    bool offFirst = false;
    bool switchOn = false;  // output on (true) or off
    double interval = 1.0;  // seconds from one reading to the next
    long count = 0;         // readings to take; 0 until stopped
};

struct ParsedCommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };
    Action action = Action::Refuse;
    CliRequest request;
    std::string error;  // why the command line is refused
};

// `arguments` as the program got them, its own name first.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

// The shortest time one reading of voltage, current and output takes: its three queries' pauses.
double ReadingSeconds();

std::string UsageText();
std::string HelpText();
