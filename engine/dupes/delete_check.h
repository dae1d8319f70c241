// The check before an extraction folder goes to the trash: it may go only
// while it holds nothing but the copies the extraction moved there.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/dupes/dupes.h"
#include "engine/fs/env.h"

namespace pictray::dupes {

// Something that keeps the extraction folder out of the trash.
struct DeleteProblem {
  enum class Kind {
    Foreign,      // not one of the copies this extraction moved there
    Changed,      // a moved copy is no longer the file that was moved
    KeptDiffers,  // the kept file no longer holds the copy's bytes (or, for the same picture, is no longer as grouped)
    Unreadable,   // the folder or a copy cannot be examined
    NotExamined,  // the check was stopped before this copy
  };
  Kind kind = Kind::Foreign;
  std::string path;
};

// Examines `samedir` right before it goes to the trash: it may go only when
// it holds nothing but the `moved` copies, each as it was moved and still
// byte-identical to its kept file (a copy of the same picture: its kept
// file still as grouped; a sidecar: as it was moved). Empty when it may go (or is gone). Once
// `abort` is set the copies not yet compared are NotExamined.
// A copy of the same picture may go only when `samePicture(kept, copy)`
// says that both, measured again from their bytes, are still the same
// picture (without it, never: KeptDiffers).
using SamePictureFn = std::function<bool(const std::string& kept, const std::string& copy)>;
std::vector<DeleteProblem> CheckBeforeDelete(const fs::Env& env, const std::string& samedir, const std::vector<MovedFile>& moved,
                                             AbortFlag abort = nullptr, const SamePictureFn& samePicture = {});

}  // namespace pictray::dupes
