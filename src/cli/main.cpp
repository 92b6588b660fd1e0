// pulvar-cli: the supply that Pulvar drives, from the shell, from scripts, and as a logger.
#include <QString>
#include <QStringList>
#include <iostream>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/stop_signal.h"
#include "cli/supply_session.h"
#include "platform/console_platform.h"

namespace {
constexpr const char* kProgramName = "pulvar-cli";

QStringList Arguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

std::string VersionText(const Platform& platform) {
    const ProgramVersion v = platform.Version();
    return std::string(kProgramName) + " (" + platform.Title() + ") " + std::to_string(v.major) +
           "." + std::to_string(v.minor) + "." + std::to_string(v.revision) + "\n";
}
}  // namespace

int main(int argc, char* argv[]) {
    ConsolePlatform platform(std::cerr, kProgramName);
    // Everything on the command line is checked before the driver library is even loaded.
    const ParsedCommandLine line = ParseCommandLine(Arguments(argc, argv));
    switch (line.action) {
        case ParsedCommandLine::Action::ShowHelp:
            std::cout << HelpText();
            return ExitStatus::kDone;
        case ParsedCommandLine::Action::ShowVersion:
            std::cout << VersionText(platform);
            return ExitStatus::kDone;
        case ParsedCommandLine::Action::Refuse:
            std::cerr << kProgramName << ": " << line.error << "\n"
                      << UsageText() << "Try '" << kProgramName << " --help' for more.\n";
            return ExitStatus::kUsage;
        case ParsedCommandLine::Action::Run:
            break;
    }
    if (line.request.command == CliCommand::Log) CatchStopSignals();
    SupplySession session(platform);
    return RunCommand(line.request, session.Link(), std::cout);
}
