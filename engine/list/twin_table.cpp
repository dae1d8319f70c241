#include "engine/list/twin_table.h"

#include <sys/stat.h>

namespace pictray::dupes {

FileIdentity IdentityOf(const struct stat& st) {
  auto ns = [](const struct timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
  };
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
          static_cast<std::uint64_t>(st.st_size), ns(st.st_mtim), ns(st.st_ctim)};
}

const std::string& Cell(const FileRec& r, int column) {
  static const std::string none;
  switch (column) {
    case 0: return r.file;
    case 1: return r.folda;
    case 2: return r.filename;
    case 3: return r.path;
    case 4: return r.size;
    case 5: return r.sameno;
    case 6: return r.firstfile;
    case 7: return r.samekey;
    default: return none;
  }
}

}  // namespace pictray::dupes
