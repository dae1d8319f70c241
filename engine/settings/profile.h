// Profile (ini) files: sections in square brackets, key=value lines.
// Every call reads or writes the whole file, so that several programs and
// threads can share one file without holding it open; a run reads the file
// once, into a ProfileSnapshot, and takes every key it needs from that.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/fs/env.h"

namespace pictray {

// A settings file is a few KB; a larger one is refused (read as missing,
// never written over), so a hostile or damaged one costs nothing.
inline constexpr std::uint64_t kMaxProfileBytes = 1 << 20;

enum class ProfileRead {
  Read,
  Missing,
  Unreadable,  // cannot be read, or not a regular file
  TooLarge,    // over kMaxProfileBytes
};

// The lines of a settings file as read at one moment.
class ProfileSnapshot {
 public:
  // Reads `file` whole, once. Only a regular file within kMaxProfileBytes is
  // read; anything else gives an empty snapshot (every key its fallback).
  static ProfileSnapshot Read(const fs::Env& env, const std::string& file);

  ProfileRead outcome() const { return outcome_; }
  // As GetProfileString, from the lines read.
  std::string Get(const std::string& section, const std::string& key, const std::string& fallback,
                  std::size_t width) const;

 private:
  std::vector<std::string> lines_;
  ProfileRead outcome_ = ProfileRead::Missing;
};

// Section and key are compared without regard to ASCII case. The value is
// trimmed of surrounding blanks and one pair of matching quotes. The result
// holds at most width - 1 bytes (never splitting a UTF-8 sequence); a width
// of 0 means no limit. A missing file, section or key gives the fallback.
std::string GetProfileString(const fs::Env& env, const std::string& section, const std::string& key,
                             const std::string& fallback, std::size_t width,
                             const std::string& file);

// Sets key=value, keeping the order of everything else; a missing section is
// appended, a missing file created. The file is replaced atomically (a link
// is written through, the file's permissions kept). Returns false when the
// file could not be written, or exists but could not be read or is too large.
bool WriteProfileString(const fs::Env& env, const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file);

// Decimal conversion as the settings use it: leading blanks and sign,
// then digits; anything unreadable counts 0.
int ProfileNumber(const std::string& text);

}  // namespace pictray
