#include "engine/move/move_prepare.h"

#include "engine/fs/paths.h"
#include "engine/settings/settings_keys.h"

namespace pictray {
namespace {

bool DigitsOnly(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

void BeforMoveCheck(RunHost& host, PictrayState& st, const std::string& S, int strength) {
  const int SRgb0 = ReadSettingNumber(*st.env, key::SRgb0, st.profile);
  const int SRgb3 = ReadSettingNumber(*st.env, key::SRgb3, st.profile);
  static const char* const kBases[] = {"RED", "GREEN", "BLUE"};
  if (SRgb3 == 0 || SRgb0 < 0 || SRgb0 > 2) return;
  std::string name;  // chosen at the first row it takes
  for (std::size_t i = 0; i < st.rows.ListMax(); ++i) {
    const Row row = st.rows.row(i);
    // Only that analysis's results: a phrase "2024" or another's digits keep their folder.
    if (row.by != strength || !DigitsOnly(row.target)) continue;
    if (name.empty()) {
      // A name taken by anything (not only a folder) is passed over, so the
      // move never aims at a file.
      const std::string base = kBases[SRgb0];
      name = base;
      for (int k = 1; PathExists(*st.env, JoinPath(S, name)); ++k) name = base + std::to_string(k);
    }
    st.rows.setTarget(i, name, row.kind, row.by);
    host.RowsChanged(i, i);
  }
}

void BeforFoldaCheck(RunHost& host, PictrayState& st, const std::string& S) {
  std::string first;
  for (std::size_t i = 0; i < st.rows.ListMax() && first.empty(); ++i) {
    const Row row = st.rows.row(i);
    if (row.kind != kind::Moved) first = row.target;
  }
  if (first != kColourMatchFolder) return;
  const std::string existing = JoinPath(S, kColourMatchFolder);
  if (!PathExists(*st.env, existing)) return;
  if (host.MessageBox1Q(Message{Said::ColourMatchQuestion}, Button::Ok, Button::No) != 6) return;
  const std::string renamed = GetNewFoldaName(*st.env, existing + "/");
  for (std::size_t i = 0; i < st.rows.ListMax(); ++i) {
    const Row row = st.rows.row(i);
    if (row.kind == kind::Moved || row.target != kColourMatchFolder) continue;
    st.rows.setTarget(i, renamed, row.kind, row.by);
    host.RowsChanged(i, i);
  }
}

std::string GetNewFoldaName(const fs::Env& env, const std::string& path) {
  std::string folder = path;
  if (!folder.empty() && folder.back() == '/') folder.pop_back();
  const std::size_t slash = folder.rfind('/');
  const std::string parent = slash == std::string::npos ? "." : folder.substr(0, slash);
  const std::string last = slash == std::string::npos ? folder : folder.substr(slash + 1);
  long long N = 0;
  for (char c : last) {
    if (c < '0' || c > '9' || N > 1000000000LL) break;
    N = N * 10 + (c - '0');
  }
  for (;;) {
    ++N;
    const std::string n = std::to_string(N);
    const std::string candidate = n + "-" + n + "-" + n;
    if (!PathExists(env, parent + "/" + candidate)) return candidate;
  }
}

void PrepareMove(RunHost& host, PictrayState& st, const std::string& S, int strength) {
  host.SetSummary({});
  host.ClearMoveResults();
  BeforMoveCheck(host, st, S, strength);
  BeforFoldaCheck(host, st, S);
}

}  // namespace pictray
