// Hands a request to its command.
#include "cli/commands.h"
#include "cli/exit_status.h"

int RunCommand(const CliRequest& request, SupplyLink& link, std::ostream& out) {
    switch (request.command) {
        case CliCommand::Identify:
            return Identify(request, link, out);
        case CliCommand::Read:
        case CliCommand::Set:
        case CliCommand::Output:
        case CliCommand::Log:
            break;
    }
    return ExitStatus::kUsage;
}
