#include "engine/names/folda_name.h"

#include <vector>

namespace pictray {
namespace {

// Length of the UTF-8 sequence starting with byte b (1 for stray bytes).
std::size_t SequenceLength(unsigned char b) {
  if (b >= 0xF0 && b <= 0xF4) return 4;
  if (b >= 0xE0) return b <= 0xEF ? 3 : 1;
  if (b >= 0xC2) return 2;
  return 1;
}

std::vector<std::string> SplitCharacters(const std::string& s) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t n = SequenceLength(static_cast<unsigned char>(s[i]));
    if (i + n > s.size()) n = 1;
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
    if (isDisabled) {
      out += '_';
    } else if (lenient == 0) {
      for (unsigned char b : ch) out += IsAsciiAlnum(b) ? static_cast<char>(b) : '_';
    } else {
      out += ch;
    }
  }
  return out;
}

std::string GetFoldaName2(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != ' ') out += c;
  return out;
}

std::string Mojihenkan(const std::string& text) {
  std::string out;
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
