// The deletion of Twinscan's extraction folder: the deleter started on it,
// and why it was refused.
#pragma once

#include <string>
#include <vector>

#include "engine/dupes/delete_check.h"
#include "engine/run/message.h"
#include "engine/run/twinscan_state.h"

namespace pictray {

// Why the extraction folder was not deleted, naming the first few of each
// kind found.
Message DeleteRefusal(const std::string& samedir, const std::vector<dupes::DeleteProblem>& problems);

// Has the deleter take `path` away and checks that it is gone; false with
// the reason in `error` otherwise.
bool FileDELETE2(const TwinscanBlock& val, const std::string& path, std::string& error);

}  // namespace pictray
