// The positional name pattern of the character classification.
#pragma once

#include <string>

namespace pictray {

// Matches `name` against `pattern` position by position (bytes):
//   "#" digit, kept as "#"      "%" digit, copied from the name
//   "$" letter, kept as "$"     "*" letter, copied from the name
//   "?" any byte, copied         others: the same byte
// Bytes of the name past the pattern's end are ignored; a name shorter than
// the pattern does not match. Returns the result with every upper-case ASCII
// letter doubled (Mojihenkan), or "" when the name does not match (an empty
// pattern gives "" too).
std::string MatchPatName(const std::string& name, const std::string& pattern);

}  // namespace pictray
