// Sidecars in a move run: which go with which picture (the names:
// engine/list/sidecar_names.h).
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/list/file_list.h"
#include "engine/list/sidecar_names.h"

namespace pictray {

// Which listed sidecars go with which listed picture in a move run. A
// sidecar belongs to the picture whose whole name it extends, else to the
// first picture of its stem that the run moves, else to the first picture
// of its stem; one with no picture listed is a file like any other. Rows
// already moved are no one's picture.
class SidecarPlan {
 public:
  explicit SidecarPlan(const FileList& rows);

  // The rows of the sidecars that go with the picture of row `picture`.
  const std::vector<std::size_t>& Of(std::size_t picture) const;
  // True when row `row` is a sidecar that moves only with its picture.
  bool Follows(std::size_t row) const;

 private:
  std::unordered_map<std::size_t, std::vector<std::size_t>> sidecars_;
  std::vector<bool> follows_;
};

}  // namespace pictray
