// Text lists shown in list views, one item per line (the colour lists of the
// colour dialogs, such as RGB.txt).
#pragma once

#include <cerrno>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/fs/env.h"

namespace pictray {

// A text list names colours, so it has at most a line per possible colour,
// and a short line each: "RRR:GGG:BBB" and a carriage return fit many times.
inline constexpr std::size_t kTextListLinesMax = std::size_t{1} << 24;
inline constexpr std::size_t kTextListLineLimit = 64;
// The most a text list is read: every possible colour, 16 bytes a line.
inline constexpr std::size_t kTextListReadLimit = kTextListLinesMax << 4;
// Why a text list was refused besides ReadRegularFile's reasons.
inline constexpr int kTooManyLines = E2BIG;     // more than kTextListLinesMax
inline constexpr int kLineTooLong = EMSGSIZE;  // a line longer than kTextListLineLimit

// Hands every line of the regular file at `path` (within the limits above),
// without its line feed, to `line` as it is read. Returns 0, or why the
// list was refused; the lines before a refusal have been handed over by
// then, so a caller keeps what it took only once 0 is returned.
int ReadTextList(const fs::Env& env, const std::string& path, const std::function<void(std::string_view)>& line);

// Says why ReadTextList refused.
std::string TextListRefusalText(int err);

// The system's SetList, named apart from the name classifications
// SetList04-06: ReadTextList's lines appended to `items`, where a file that
// cannot be read or is refused adds nothing. Returns the folder part of
// `path` (the path without its last element and separator).
std::string LoadTextList(const fs::Env& env, std::vector<std::string>& items, const std::string& path);

// Writes every item followed by a line feed into `path`, creating the file
// or replacing it as a whole (a failed write leaves the old file as it was).
// Returns false when the file could not be written.
bool listsave(const fs::Env& env, const std::vector<std::string>& items, const std::string& path);

}  // namespace pictray
