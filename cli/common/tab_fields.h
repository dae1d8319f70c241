// Tab-separated output of the command lines: one record a line, so a tab, a
// line feed or a backslash inside a name or text is written as \t, \n, \\.
#pragma once

#include <string>
#include <string_view>

namespace pictray::cli {

inline std::string EscapeField(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace pictray::cli
