// Hands a request to its command.
#include "cli/commands.h"
#include "cli/exit_status.h"

int RunCommand(const CliRequest& request, SupplyLink& link, std::ostream& out) {
    switch (request.command) {
        case CliCommand::Identify:
            return Identify(request, link, out);
        case CliCommand::Read:
            return Read(request, link, out);
        case CliCommand::Set:
            return Set(request, link, out);
        case CliCommand::Output:
            return SwitchOutput(request, link, out);
        case CliCommand::Log:
            return Log(request, link, out);
    }
    return ExitStatus::kUsage;
}
