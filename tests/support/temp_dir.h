// A temporary folder removed with everything in it at the end of a test.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace pictray::testing {

// The whole content of a file ("" when it cannot be read).
inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "pictray-test-XXXXXX").string();
    char* p = ::mkdtemp(tmpl.data());
    if (p) path_ = p;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) {
      // Restore permissions a test may have taken away, so removal works.
      for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
           it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
      std::filesystem::remove_all(path_, ec);
    }
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }

  // Writes a file below the folder and returns its full path.
  std::string Write(const std::string& name, const std::string& content) const {
    std::string full = path_ + "/" + name;
    std::ofstream(full, std::ios::binary) << content;
    return full;
  }

 private:
  std::string path_;
};

}  // namespace pictray::testing
