#include "engine/names/folda_name.h"

#include <vector>

#include "engine/settings/settings_keys.h"

namespace pictray {
namespace {

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at s[i]; 1 for a stray byte, so a
// broken sequence never hides the bytes after it from the replacement.
std::size_t SequenceLength(const std::string& s, std::size_t i) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  std::size_t n = 1;
  if (b >= 0xC2 && b <= 0xDF) n = 2;
  else if (b >= 0xE0 && b <= 0xEF) n = 3;
  else if (b >= 0xF0 && b <= 0xF4) n = 4;
  if (i + n > s.size()) return 1;
  for (std::size_t k = 1; k < n; ++k)
    if (!IsContinuation(static_cast<unsigned char>(s[i + k]))) return 1;
  return n;
}

std::vector<std::string> SplitCharacters(const std::string& s) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = SequenceLength(s, i);
    out.push_back(s.substr(i, n));
    i += n;
  }
  return out;
}

bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::string GetFoldaName(const std::string& text, int lenient, const std::string& disabledchar) {
  const std::string line = text.substr(0, text.find('\n'));
  const std::vector<std::string> disabled = SplitCharacters(disabledchar);
  std::string out;
  out.reserve(line.size());
  for (const std::string& ch : SplitCharacters(line)) {
    bool isDisabled = false;
    for (const std::string& d : disabled)
      if (d == ch) isDisabled = true;
    if (lenient == 0) {
      // Strict: one "_" per byte, so a name keeps its length whether or not
      // a character was listed.
      for (unsigned char b : ch) out += (!isDisabled && IsAsciiAlnum(b)) ? static_cast<char>(b) : '_';
    } else {
      out += isDisabled ? std::string("_") : ch;
    }
  }
  return out;
}

std::string ReadDisabledChar(const fs::Env& env, const std::string& profile) {
  return ReadSetting(env, key::disabledchar, profile);
}

std::string GetFoldaName2(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != ' ') out += c;
  return out;
}

std::string Mojihenkan(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char c : text) {
    out += c;
    if (c >= 'A' && c <= 'Z') out += c;
  }
  return out;
}

bool IsSafeFolderName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

}  // namespace pictray
