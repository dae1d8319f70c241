// A journal's line layout, shared by its writer and its reader: the header
// and record tags, the escaped tab-separated fields and the checksum that
// tells a whole line from one cut off by a kill (see journal.h).
#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/fs/file_identity.h"
#include "engine/journal/journal.h"
#include "engine/journal/tab_fields.h"

namespace pictray {

inline constexpr const char* kJournalMagic = "PJ";
inline constexpr const char* kJournalVersion = "1";
inline constexpr const char* kJournalSuffix = ".journal";

inline const char* KindName(JournalRunKind k) {
  return k == JournalRunKind::Move ? "move" : k == JournalRunKind::Extract ? "extract" : "extract-tree";
}

// The whole of `text` as a number.
template <typename T>
bool ParseNumber(const std::string& text, T& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

// One record being built: its fields joined by tabs, each escaped.
class JournalRecord {
 public:
  explicit JournalRecord(std::string_view tag) { body_ = tag; }
  JournalRecord& Text(std::string_view field) {
    body_ += '\t';
    AppendEscaped(body_, field);
    return *this;
  }
  template <typename T>
  JournalRecord& Number(T value) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    body_ += '\t';
    body_.append(buf, r.ptr);
    return *this;
  }
  JournalRecord& Stamp(const FileIdentity& s) {
    return Number(s.dev).Number(s.ino).Number(s.size).Number(s.mtimeNs).Number(s.ctimeNs);
  }
  const std::string& body() const { return body_; }

 private:
  std::string body_;
};

// The record as a line: its fields, a tab, the checksum and a line feed.
std::string JournalLine(const JournalRecord& record);

// The fields of one line (without its line feed), checksum verified; false
// for a damaged line. The strings of `fields` are reused.
bool SplitLine(std::string_view line, std::vector<std::string>& fields);

}  // namespace pictray
