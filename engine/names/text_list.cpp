#include "engine/names/text_list.h"

#include "engine/fs/atomic_write.h"
#include "engine/fs/paths.h"
#include "engine/fs/read_file.h"

namespace pictray {

int ReadTextList(const fs::Env& env, const std::string& path, const std::function<void(std::string_view)>& line) {
  std::size_t lines = 0;
  int refused = 0;
  // A list the user picked may be a link to one. Lines are taken whole or
  // not at all: cutting a long one would invent items.
  const int err = ReadRegularFileLines(env, path, kTextListReadLimit, kTextListLineLimit, true,
                                       [&](std::string_view text, LineEnd end) {
                                         if (end == LineEnd::TooLong)
                                           refused = kLineTooLong;
                                         else if (++lines > kTextListLinesMax)
                                           refused = kTooManyLines;
                                         else
                                           line(text);
                                         return refused == 0;
                                       });
  return err != 0 ? err : refused;
}

std::string TextListRefusalText(int err) {
  if (err == kTooManyLines) return "more than " + std::to_string(kTextListLinesMax) + " lines";
  if (err == kLineTooLong) return "a line longer than " + std::to_string(kTextListLineLimit) + " bytes";
  return ReadRefusalText(err, kTextListReadLimit);
}

std::string LoadTextList(const fs::Env& env, std::vector<std::string>& items, const std::string& path) {
  const std::size_t before = items.size();
  if (ReadTextList(env, path, [&](std::string_view line) { items.emplace_back(line); }) != 0) items.resize(before);
  std::string folder = path;
  PathFoldaRemove(folder);
  return folder;
}

bool listsave(const fs::Env& env, const std::vector<std::string>& items, const std::string& path) {
  std::string text;
  for (const std::string& item : items) text += item + '\n';
  return WriteFileAtomic(env, path, {text}, 0644) == 0;
}

}  // namespace pictray
