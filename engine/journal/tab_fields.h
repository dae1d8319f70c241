// One record a line, fields separated by tabs: a tab, a line feed or a
// backslash inside a field is written as \t, \n, \\. The journal's records
// and the command lines' output share this form.
#pragma once

#include <string>
#include <string_view>

namespace pictray {

inline void AppendEscaped(std::string& out, std::string_view field) {
  // The bytes between escapes go in whole: a name seldom holds any.
  std::size_t from = 0;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const char c = field[i];
    if (c != '\t' && c != '\n' && c != '\\') continue;
    out.append(field, from, i - from);
    out += c == '\t' ? "\\t" : c == '\n' ? "\\n" : "\\\\";
    from = i + 1;
  }
  out.append(field, from);
}

inline std::string EscapeField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  AppendEscaped(out, field);
  return out;
}

// False for a field no writer makes (a lone or unknown escape).
inline bool UnescapeField(std::string_view field, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      out += field[i];
      continue;
    }
    if (++i == field.size()) return false;
    switch (field[i]) {
      case 't': out += '\t'; break;
      case 'n': out += '\n'; break;
      case '\\': out += '\\'; break;
      default: return false;
    }
  }
  return true;
}

}  // namespace pictray
