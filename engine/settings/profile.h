// Profile (ini) files: sections in square brackets, key=value lines.
// Every call reads or writes the whole file, so that several programs and
// threads can share one file without holding it open.
#pragma once

#include <string>

namespace pictray {

// Section and key are compared without regard to ASCII case. The value is
// trimmed of surrounding blanks and one pair of matching quotes. The result
// holds at most width - 1 bytes (never splitting a UTF-8 sequence); a width
// of 0 means no limit. A missing file, section or key gives the fallback.
std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& fallback, std::size_t width,
                             const std::string& file);

// Decimal value of a key; a missing or empty value gives the fallback, an
// unreadable one counts 0.
int GetProfileInt(const std::string& section, const std::string& key, int fallback,
                  const std::string& file);

// Sets key=value, keeping the order of everything else; a missing section is
// appended, a missing file created. The file is replaced atomically (a link
// is written through, the file's permissions kept). Returns false when the
// file could not be written, or exists but could not be read.
bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file);

// Decimal conversion as the settings use it: leading blanks and sign,
// then digits; anything unreadable counts 0.
int ProfileNumber(const std::string& text);

}  // namespace pictray
