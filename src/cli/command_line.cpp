// Reading pulvar-cli's command line: the command, its options, and their values checked.
#include "cli/command_line.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <array>
#include <optional>

#include "bus/bus_helper.h"
#include "rules/number_text.h"

namespace {

constexpr double kLongestInterval = 24 * 3600;
constexpr int kQueriesPerReading = 3;

struct CommandName {
    const char* name;
    CliCommand command;
    std::initializer_list<const char*> options;  // the options that apply to it
};

const std::array<CommandName, 5> kCommands = {{
    {"identify", CliCommand::Identify, {"json"}},
    {"read", CliCommand::Read, {"output", "json"}},
    {"set", CliCommand::Set, {"output", "voltage", "current", "clamp", "off-first", "json"}},
    {"output", CliCommand::Output, {"json"}},
    {"log", CliCommand::Log, {"output", "interval", "count"}},
}};

const char* const kValueOptions[] = {"output", "voltage", "current", "interval", "count"};
const char* const kFlagOptions[] = {"clamp", "off-first", "json"};

// Seconds as a person writes them: 0.3, not the single-precision 0.30000000447.
QString Seconds(double seconds) {
    return QString::number(seconds, 'g', 6);
}

std::optional<CommandName> FindCommand(const QString& name) {
    for (const CommandName& command : kCommands)
        if (name == QLatin1String(command.name)) return command;
    return std::nullopt;
}

class Reader {
public:
    explicit Reader(const QStringList& arguments) : arguments_(arguments) {
        parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser_.addOption({{"h", "help"}, ""});
        parser_.addOption({"version", ""});
        for (const char* name : kValueOptions) parser_.addOption({name, "", "value"});
        for (const char* name : kFlagOptions) parser_.addOption({name, ""});
    }

    ParsedCommandLine Read() {
        if (!parser_.parse(arguments_)) return Refuse(parser_.errorText());
        if (parser_.isSet("help")) return Outcome(ParsedCommandLine::Action::ShowHelp);
        if (parser_.isSet("version")) return Outcome(ParsedCommandLine::Action::ShowVersion);

        QStringList words = parser_.positionalArguments();
        if (words.isEmpty()) return Refuse("no command given");
        const std::optional<CommandName> command = FindCommand(words.takeFirst());
        if (!command) return Refuse("unknown command '" + parser_.positionalArguments()[0] + "'");
        result_.request.command = command->command;

        if (auto refused = OptionsNotFor(*command)) return *refused;
        if (auto refused = ReadWords(*command, words)) return *refused;
        if (auto refused = ReadValues()) return *refused;
        return Outcome(ParsedCommandLine::Action::Run);
    }

private:
    ParsedCommandLine Outcome(ParsedCommandLine::Action action) {
        result_.action = action;
        return result_;
    }
    ParsedCommandLine Refuse(const QString& why) {
        result_.error = why.toStdString();
        return Outcome(ParsedCommandLine::Action::Refuse);
    }

    std::optional<ParsedCommandLine> OptionsNotFor(const CommandName& command) {
        for (const QString& given : parser_.optionNames()) {
            bool applies = false;
            for (const char* name : command.options) applies |= (given == QLatin1String(name));
            if (!applies)
                return Refuse("--" + given + " does not apply to " + QLatin1String(command.name));
        }
        return std::nullopt;
    }

    std::optional<ParsedCommandLine> ReadWords(const CommandName& command, QStringList words) {
        if (command.command == CliCommand::Output) {
            if (words.isEmpty()) return Refuse("output needs on or off");
            const QString state = words.takeFirst();
            if (state != "on" && state != "off")
                return Refuse("output takes on or off, not '" + state + "'");
            result_.request.switchOn = state == "on";
        }
        if (!words.isEmpty()) return Refuse("unexpected argument '" + words.first() + "'");
        return std::nullopt;
    }

    std::optional<ParsedCommandLine> ReadValues() {
        CliRequest& request = result_.request;
        request.json = parser_.isSet("json");
        request.clamp = parser_.isSet("clamp");
        request.offFirst = parser_.isSet("off-first");
        if (parser_.isSet("output")) {
            const QString output = parser_.value("output");
            if (output != "+" && output != "-")
                return Refuse("--output takes + or -, not '" + output + "'");
            request.minusOutput = output == "-";
        }
        for (const char* name : {"voltage", "current", "interval"})
            if (parser_.isSet(name) && !IsPlainUnsignedDecimal(parser_.value(name).toStdString()))
                return Refuse(QStringLiteral("--%1 takes a plain unsigned decimal number such as "
                                             "12.5, not '%2'")
                                  .arg(name, parser_.value(name)));
        request.voltage = parser_.value("voltage").toStdString();
        request.current = parser_.value("current").toStdString();
        if (request.command == CliCommand::Set && request.voltage.empty() &&
            request.current.empty())
            return Refuse("set needs --voltage, --current or both");
        if (parser_.isSet("interval")) {
            if (auto refused = ReadInterval(parser_.value("interval"))) return *refused;
        }
        if (parser_.isSet("count")) {
            if (auto refused = ReadCount(parser_.value("count"))) return *refused;
        }
        return std::nullopt;
    }

    std::optional<ParsedCommandLine> ReadInterval(const QString& text) {
        const double seconds = text.toDouble();
        // A little slack, since the pause itself is single precision.
        if (seconds + 1e-6 < ReadingSeconds())
            return Refuse(QStringLiteral("--interval %1 is shorter than one reading takes (%2 s: "
                                         "%3 queries, each waiting %4 s for its answer)")
                              .arg(text, Seconds(ReadingSeconds()))
                              .arg(kQueriesPerReading)
                              .arg(Seconds(kQueryPause)));
        if (seconds > kLongestInterval)
            return Refuse("--interval " + text + " is longer than a day");
        result_.request.interval = seconds;
        return std::nullopt;
    }

    std::optional<ParsedCommandLine> ReadCount(const QString& text) {
        static const QRegularExpression whole(
            QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{1,9}")));
        const long count = whole.match(text).hasMatch() ? text.toLong() : 0;
        if (count < 1)
            return Refuse("--count takes a whole number of readings from 1, not '" + text + "'");
        result_.request.count = count;
        return std::nullopt;
    }

    QStringList arguments_;
    QCommandLineParser parser_;
    ParsedCommandLine result_;
};

}  // namespace

double ReadingSeconds() {
    return kQueriesPerReading * double{kQueryPause};
}

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    return Reader(arguments).Read();
}

// Each further form starts with "or:", as GNU tools write it, so that help2man takes every form
// into the manual page's synopsis.
std::string UsageText() {
    return "Usage: pulvar-cli [--json] identify\n"
           "  or:  pulvar-cli [--json] read [--output +|-]\n"
           "  or:  pulvar-cli [--json] set [--output +|-] [--voltage V] [--current A] [--clamp]"
           " [--off-first]\n"
           "  or:  pulvar-cli [--json] output on|off\n"
           "  or:  pulvar-cli log [--output +|-] [--interval S] [--count N]\n"
           "  or:  pulvar-cli --help | --version\n";
}

std::string HelpText() {
    return UsageText() +
           "\n"
           "Drives the supply that Pulvar drives (Tektronix PS5010 or PS5004, HP 6032A) from\n"
           "the shell, by the window's rules: the same driver library, the same search for the\n"
           "supply on the GPIB, the same commands, limits, messages and number texts.\n"
           "\n"
           "Commands:\n"
           "  identify        print the supply found and its GPIB address\n"
           "  read            print the voltage setting, current limit and output state\n"
           "  set             check a new voltage and/or current limit against the supply's\n"
           "                  limits (asking the supply for what the checks need and the\n"
           "                  command line does not give), send it, then read back as read does\n"
           "  output on|off   switch the output on or off, then read its state back\n"
           "  log             read again and again; print CSV: time (ISO 8601), volts, amperes,\n"
           "                  output, after a header line\n"
           "\n"
           "Options:\n"
           "  --output +|-    the PS5010's positive or negative output (default +)\n"
           "  --voltage V     the new voltage, a plain unsigned decimal number such as 12.5\n"
           "  --current A     the new current limit, a plain unsigned decimal number\n"
           "  --clamp         a value beyond the supply's limit is replaced by the limit,\n"
           "                  as Yes does in the window, instead of being refused\n"
           "  --off-first     switch the output off before the change when it is on\n"
           "  --interval S    seconds from one reading to the next (default 1, at least 0.3)\n"
           "  --count N       stop after N readings (default: until Ctrl+C)\n"
           "  --json          print one JSON object instead of text\n"
           "  -h, --help      print this help and exit\n"
           "  --version       print the version and exit\n"
           "\n"
           "Exit status:\n"
           "  0  done\n"
           "  2  the command line is wrong (nothing was loaded or sent)\n"
           "  3  bus set-up failed: no driver library, or the listener search failed\n"
           "  4  no supported supply answered\n"
           "  5  value refused: outside the supply's limits, no new value was sent\n"
           "  6  bus error during the exchange: the command stopped there, nothing more was sent\n"
           "  7  the output was told to switch, and its state read back is unchanged\n"
           "\n"
           "Ctrl+C ends log after the current reading, with the CSV complete (exit status 0).\n"
           "Nothing is sent that the command does not ask for, and the window's settings are\n"
           "neither read nor written. The bus and the supplies speak as the window's do; errors\n"
           "go to standard error in the window's words.\n";
}
