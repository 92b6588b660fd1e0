// How the emulated adapters read the words of a command, as the AR488 firmware does: numbers of
// digits only (isNumber, then strtoul), words split at any of a few separators (strtok), command
// names in any letter case (strcasecmp).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bench {

// Digits only, at most nine of them; nothing for anything else (blanks, signs, an empty text).
std::optional<long> WholeNumber(std::string_view text);

// The words between any of the `separators`, empty ones skipped.
std::vector<std::string> Words(std::string_view text, std::string_view separators);

// ASCII letters in lower case.
std::string Lower(std::string_view text);

// A data line that starts with "*idn?" in any letter case, with more after it than its star.
bool IsIdentityQuery(std::string_view line);

}  // namespace bench
