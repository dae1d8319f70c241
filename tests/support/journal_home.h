// One journal folder for the tests of a binary, outside every folder they sort.
#pragma once

#include <string>

#include "tests/support/temp_dir.h"

namespace pictray::testing {

inline const std::string& TestJournals() {
  static const TempDir home;
  return home.path();
}

}  // namespace pictray::testing
