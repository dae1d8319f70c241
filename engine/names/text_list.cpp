#include "engine/names/text_list.h"

#include "engine/fs/atomic_write.h"
#include "engine/fs/paths.h"
#include "engine/fs/read_file.h"

namespace pictray {

int ReadTextList(const fs::Env& env, const std::string& path, std::vector<std::string>& items) {
  // A list the user picked may be a link to one.
  const FileContent content = ReadRegularFile(env, path, kTextListReadLimit, true);
  if (content.err != 0) return content.err;
  // Lines are kept whole: cutting a long one would invent items.
  for (std::size_t start = 0; start < content.bytes.size();) {
    const std::size_t end = content.bytes.find('\n', start);
    items.push_back(content.bytes.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return 0;
}

std::string LoadTextList(const fs::Env& env, std::vector<std::string>& items, const std::string& path) {
  ReadTextList(env, path, items);
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
