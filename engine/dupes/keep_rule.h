// Which file of a set of copies stays: one rule for the window, the command
// line and every mode, whatever order the folder lists its files in. The
// rule is an ordered list of criteria (KeepRule, engine/list/twin_table.h);
// byte-identical copies and the same pictures share it, the criteria that
// need a picture's facts tying where there are none.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/list/twin_groups.h"
#include "engine/list/twin_table.h"

namespace pictray::dupes {

// True when the name carries a mark that copying a file gives it, before
// its extension: " (1)", " - Copy" or its Japanese form (each maybe followed
// by " (2)"), " (copy)", " (copy 2)", " (another copy)", " (3rd copy)",
// " 2" .. " 99", "_copy", or "Copy of " in front.
bool HasCopyMarker(std::string_view filename);

struct KeepRuleParse {
  std::optional<KeepRule> rule;
  KeepRuleError error = KeepRuleError::None;
  std::string word;  // the word at fault
};

// A comma list of criteria, in order: reference, companions, original,
// camera, pixels, size (or largest), format, date (or oldest), name, and
// folder:PATH (files in PATH first; several may be given). The criteria not
// named follow in the default order (DefaultKeepRule), "reference" always
// first: so the presets "oldest", "largest" and "pixels" are the lists of
// one word, and "original" alone is the default. A folder is taken as
// written, "." and ".." names resolved, a relative one from the current
// folder when compared. Spaces around words are ignored.
KeepRuleParse ParseKeepRule(std::string_view text);

// The rule as a comma list that ParseKeepRule reads back to it.
std::string KeepRuleText(const KeepRule& rule);

// True when `a` stays rather than `b` by `rule`; the facts are null where
// they are not known (byte-identical copies), and the criteria that need
// them then tie. Files that tie on every step go by the bytes of their
// names, then of their paths.
bool KeptBefore(const FileRec& a, const PictureFacts* fa, const FileRec& b, const PictureFacts* fb,
                const KeepRule& rule);
inline bool KeptBefore(const FileRec& a, const FileRec& b, const KeepRule& rule) {
  return KeptBefore(a, nullptr, b, nullptr, rule);
}

// Why `kept` stays rather than `other`: the first step that tells them
// apart, with what it compared.
KeepReason WhyKept(const FileRec& kept, const PictureFacts* fk, const FileRec& other, const PictureFacts* fo,
                   const KeepRule& rule);

// Each group's reason (TwinGroup::why) against its next best member;
// `facts` by row, empty or shorter where none were read. A kept file the
// rule would not put first was chosen (KeepCriterion::Chosen).
void ExplainGroups(std::vector<TwinGroup>& groups, const std::vector<FileRec>& lpData,
                   const std::vector<PictureFacts>& facts, const KeepRule& rule);

}  // namespace pictray::dupes
