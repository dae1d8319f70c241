#include "engine/list/twin_table.h"

namespace pictray::dupes {

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

KeepRule DefaultKeepRule() {
  KeepRule rule;
  for (KeepCriterion c : {KeepCriterion::Reference, KeepCriterion::Companions, KeepCriterion::Original,
                          KeepCriterion::Camera, KeepCriterion::Pixels, KeepCriterion::Size, KeepCriterion::Format,
                          KeepCriterion::Date, KeepCriterion::Name})
    rule.steps.push_back({c, {}});
  return rule;
}

}  // namespace pictray::dupes
