#include "app/pictray/folder_paths.h"

#include <filesystem>
#include <system_error>

namespace pictray::app {
namespace {

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string WholePath(const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  std::error_code ec;
  const std::string current = std::filesystem::current_path(ec).native();
  return ec ? path : current + "/" + path;
}

bool SameFolder(const std::string& a, const std::string& b) {
  return WithoutTrailingSlash(WholePath(a)) == WithoutTrailingSlash(WholePath(b));
}

}  // namespace pictray::app
