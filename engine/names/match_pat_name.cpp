#include "engine/names/match_pat_name.h"

#include "engine/names/folda_name.h"

namespace pictray {
namespace {

// ASCII only: the locale must not decide what a digit or letter is.
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string MatchPatName(const std::string& name, const std::string& pattern) {
  if (name.size() < pattern.size()) return {};
  std::string result = pattern;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char p = pattern[i];
    const char c = name[i];
    switch (p) {
      case '#':
      case '%':
        if (!IsDigit(c)) return {};
        break;
      case '$':
      case '*':
        if (!IsLetter(c)) return {};
        break;
      case '?':
        break;
      default:
        if (c != p) return {};
    }
    if (p == '%' || p == '*' || p == '?') result[i] = c;
  }
  return Mojihenkan(result);
}

}  // namespace pictray
