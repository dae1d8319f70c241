#include "engine/runs/name_sets.h"

#include <functional>

#include "engine/run/command_ids.h"
#include "engine/runs/run_commands.h"
#include "engine/runs/run_steps.h"
#include "engine/runs/uniformity.h"
#include "engine/names/folda_name.h"
#include "engine/names/match_pat_name.h"

namespace pictray {
namespace {

// Gives a row its result; returns false when the row stays unclassified.
using RowWork = std::function<bool(std::size_t row, const std::string& name)>;

void RunNameSet(RunHost& host, PictrayState& st, int command, const RowWork& work, Said endMessage) {
  const std::size_t n = st.rows.ListMax();
  host.Progressed(RunProgress::Began(command, n));
  for (std::size_t i = 0; i < st.rows.ListMax(); ++i) {
    host.Progressed(RunProgress::Done(command, i + 1, n));
    const Row row = st.rows.row(i);
    if (!row.kind.empty()) continue;
    if (work(i, row.name)) host.RowsChanged(i, i);
    host.ShowRunPlace(i);
  }
  host.DeselectAll();
  CountSetItem(host, st.rows);
  SetDataAllCheck(host, st.rows);
  const RunEnd end = EndOfRun(command, st);
  if (!end.moveDue) Inform(host, endMessage);
  host.Progressed(RunProgress::Over(command));
  host.RunEnded(end);
}

}  // namespace

std::string NameExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

void SetList04(RunHost& host, PictrayState& st, const std::string& pattern) {
  const std::string disabled = ReadDisabledChar(*st.env, st.profile);
  const std::string kind = KindOf(cmd::CharClass);
  RunNameSet(
      host, st, cmd::CharClass,
      [&](std::size_t i, const std::string& name) {
        const std::string t = GetFoldaName(MatchPatName(name, pattern), 1, disabled);
        if (t.empty()) return false;
        st.rows.setTarget(i, t, kind, cmd::CharClass);
        return true;
      },
      Said::CharSetEnd);
}

void SetList05(RunHost& host, PictrayState& st, const std::string& phrase) {
  const std::string disabled = ReadDisabledChar(*st.env, st.profile);
  const std::string t = GetFoldaName(phrase, 1, disabled);
  const std::string kind = KindOf(cmd::PhraseClass);
  RunNameSet(
      host, st, cmd::PhraseClass,
      [&](std::size_t i, const std::string& name) {
        if (t.empty() || name.find(phrase) == std::string::npos) return false;
        st.rows.setTarget(i, t, kind, cmd::PhraseClass);
        return true;
      },
      Said::PhraseSetEnd);
}

void SetList06(RunHost& host, PictrayState& st) {
  host.Progressed(RunProgress::Stage(RunProgress::Kind::Uncounted));
  const std::string kind = KindOf(cmd::ExtClass);
  RunNameSet(
      host, st, cmd::ExtClass,
      [&](std::size_t i, const std::string& name) {
        st.rows.setTarget(i, NameExtension(name), kind, cmd::ExtClass);
        return true;
      },
      Said::ExtSetEnd);
}

}  // namespace pictray
