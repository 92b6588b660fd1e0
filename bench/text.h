// Small byte-text helpers shared by the instruments and the configuration reader.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bench {

// A blank, tab, CR or LF: what the instruments ignore around commands.
bool IsBlank(char c);

// Without blanks, tabs, CR and LF at both ends.
std::string_view Trim(std::string_view text);

// ASCII letters to upper case; every other byte as it is (no locale involved).
std::string Upper(std::string_view text);

// The pieces between the separators; n separators give n + 1 pieces.
std::vector<std::string_view> Split(std::string_view text, char separator);

}  // namespace bench
