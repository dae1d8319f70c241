#include "engine/names/text_list.h"

#include <fstream>

#include "engine/fs/atomic_write.h"
#include "engine/fs/paths.h"

namespace pictray {

std::string LoadTextList(std::vector<std::string>& items, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  // Lines are kept whole: cutting a long one would invent items.
  for (std::string line; std::getline(in, line);) items.push_back(line);
  std::string folder = path;
  PathFoldaRemove(folder);
  return folder;
}

bool listsave(const std::vector<std::string>& items, const std::string& path) {
  std::string text;
  for (const std::string& item : items) text += item + '\n';
  return WriteFileAtomic(path, {text}, 0644) == 0;
}

}  // namespace pictray
