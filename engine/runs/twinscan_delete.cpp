#include "engine/runs/twinscan_delete.h"

#include <cstring>
#include <utility>

#include "engine/dupes/deleter.h"
#include "engine/fs/paths.h"

namespace pictray {
namespace {

std::string Trimmed(const std::string& text) {
  const char* blanks = " \t\r\n\f\v";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

Message DeleteRefusal(const std::string& samedir, const std::vector<dupes::DeleteProblem>& problems) {
  using Kind = dupes::DeleteProblem::Kind;
  static constexpr std::pair<Kind, Said> reasons[] = {
      {Kind::Foreign, Said::DeleteFoundForeign},
      {Kind::Changed, Said::DeleteFoundChanged},
      {Kind::KeptDiffers, Said::DeleteFoundKeptDiffers},
      {Kind::Unreadable, Said::DeleteFoundUnreadable},
  };
  constexpr int kShown = 5;
  Message refusal{Said::DeleteRefused};
  for (const auto& [kind, said] : reasons) {
    Message found{said};
    long long count = 0;
    for (const dupes::DeleteProblem& p : problems) {
      if (p.kind != kind || ++count > kShown) continue;
      found.names.push_back(p.path.starts_with(samedir) ? p.path.substr(samedir.size()) : p.path);
    }
    if (count == 0) continue;
    found.numbers = {count};
    refusal.items.push_back(std::move(found));
  }
  return refusal;
}

bool FileDELETE2(const TwinscanBlock& val, const std::string& path, std::string& error) {
  if (!PathExists(*val.env, path)) return true;
  const dupes::DeleterRun run = dupes::RunDeleter(*val.env, val.deleteexe, path, val.programDir);
  if (run.startError != 0) {
    error = val.deleteexe + ": " + std::strerror(run.startError);
    return false;
  }
  error = Trimmed(run.output);
  if (run.exitStatus != 0) {
    if (error.empty()) error = "erasekit " + std::to_string(run.exitStatus);
    return false;
  }
  if (PathExists(*val.env, path)) {
    error = path;
    return false;
  }
  return true;
}

}  // namespace pictray
