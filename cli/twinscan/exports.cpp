#include "cli/twinscan/exports.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string_view>

#include "engine/dupes/keep_rule.h"

namespace pictray::cli {
namespace {

using json = nlohmann::ordered_json;

// The length of the valid UTF-8 sequence at `at`, or 0.
std::size_t Utf8Sequence(std::string_view s, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char c = byte(at);
  if (c < 0x80) return 1;
  std::size_t n = 0;
  std::uint32_t cp = 0;
  if (c >= 0xC2 && c <= 0xDF) n = 2, cp = c & 0x1F;
  else if (c >= 0xE0 && c <= 0xEF) n = 3, cp = c & 0x0F;
  else if (c >= 0xF0 && c <= 0xF4) n = 4, cp = c & 0x07;
  else return 0;
  if (at + n > s.size()) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (byte(at + i) & 0x3F);
  }
  if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

// Each byte that is no part of valid UTF-8 as U+FFFD.
std::string Replaced(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = Utf8Sequence(s, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(s.substr(i, n));
      i += n;
    }
  }
  return out;
}

std::string Hex(std::string_view s) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// `key` holding the name; a name that is not UTF-8 also as hex bytes.
void PutName(json& j, const std::string& key, const std::string& bytes) {
  if (ValidUtf8(bytes)) {
    j[key] = bytes;
    return;
  }
  j[key] = Replaced(bytes);
  j[key + "_hex"] = Hex(bytes);
}

const char* KindWord(dupes::PictureKind kind) {
  switch (kind) {
    case dupes::PictureKind::Raw: return "raw";
    case dupes::PictureKind::Lossless: return "lossless";
    case dupes::PictureKind::Heif: return "heif";
    case dupes::PictureKind::Jpeg: return "jpeg";
    case dupes::PictureKind::WebP: return "webp";
    case dupes::PictureKind::Other: break;
  }
  return "";
}

const char* CriterionWord(dupes::KeepCriterion c) {
  using dupes::KeepCriterion;
  switch (c) {
    case KeepCriterion::Reference: return "reference";
    case KeepCriterion::Companions: return "companions";
    case KeepCriterion::Original: return "original";
    case KeepCriterion::Camera: return "camera";
    case KeepCriterion::Pixels: return "pixels";
    case KeepCriterion::Size: return "size";
    case KeepCriterion::Format: return "format";
    case KeepCriterion::Date: return "date";
    case KeepCriterion::Name: return "name";
    case KeepCriterion::Folder: return "folder";
    case KeepCriterion::Chosen: return "chosen";
    case KeepCriterion::None: break;
  }
  return "none";
}

// "YYYY:MM:DD HH:MM:SS" as ISO 8601 "YYYY-MM-DDTHH:MM:SS" (no time zone:
// a camera's clock has none).
std::string IsoDate(const std::string& exif) {
  if (exif.size() != 19) return exif;
  std::string iso = exif;
  iso[4] = iso[7] = '-';
  iso[10] = 'T';
  return iso;
}

std::string WallIso(std::int64_t seconds) {
  const dupes::CivilTime t = dupes::CivilOfWallSeconds(seconds);
  char text[96];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02d", static_cast<long long>(t.year), t.month, t.day,
                t.hour, t.minute, t.second);
  return text;
}

json CompanionWords(std::uint8_t bits) {
  json list = json::array();
  if (bits & dupes::kLiveVideo) list.push_back("live_video");
  if (bits & dupes::kSidecars) list.push_back("sidecars");
  return list;
}

// The reason with the values its criterion compared, the kept file's
// first.
json WhyJson(const dupes::KeepReason& why, texts::Language language, const dupes::KeepRule* rule) {
  using dupes::KeepCriterion;
  json j;
  j["criterion"] = CriterionWord(why.criterion);
  j["text"] = Replaced(texts::Words(why, language, rule));
  json values = json::array();
  for (int i = 0; i < 2; ++i) switch (why.criterion) {
      case KeepCriterion::Companions:
        values.push_back(CompanionWords(static_cast<std::uint8_t>(why.value[i])));
        break;
      case KeepCriterion::Pixels: values.push_back({{"width", why.width[i]}, {"height", why.height[i]}}); break;
      case KeepCriterion::Size: values.push_back(why.value[i]); break;
      case KeepCriterion::Format: values.push_back(KindWord(static_cast<dupes::PictureKind>(why.value[i]))); break;
      case KeepCriterion::Date:
        values.push_back({{"date", WallIso(why.value[i])}, {"source", why.dateTaken[i] ? "taken" : "modified"}});
        break;
      case KeepCriterion::Name: values.push_back(why.value[i]); break;
      default: break;
    }
  if (!values.empty()) j["compared"] = values;
  const auto step = static_cast<std::size_t>(why.value[0]);
  if (why.criterion == KeepCriterion::Folder && rule && step < rule->steps.size())
    PutName(j, "folder", rule->steps[step].folder);
  return j;
}

// The kept member first, then the others as found.
std::vector<std::size_t> KeptFirst(const dupes::TwinGroup& g) {
  std::vector<std::size_t> order{g.kept};
  for (std::size_t m = 0; m < g.members.size(); ++m)
    if (m != g.kept) order.push_back(m);
  return order;
}

dupes::PictureFacts FactsOf(const ExportInput& in, std::size_t row) {
  return row < in.review->facts.size() ? in.review->facts[row] : dupes::PictureFacts{};
}

bool IsPicture(const dupes::PictureFacts& f) { return f.width > 0 && f.height > 0; }

const char* OutcomeWord(dupes::SurplusOutcome::Kind k, bool dryRun) {
  switch (k) {
    case dupes::SurplusOutcome::Kind::Moved: return dryRun ? "would_move" : "moved";
    case dupes::SurplusOutcome::Kind::Failed: return "failed";
    case dupes::SurplusOutcome::Kind::Differs: return "left_differs";
    case dupes::SurplusOutcome::Kind::Changed: return "left_changed";
  }
  return "";
}

std::string Fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// A CSV field, quoted when it must be.
std::string CsvField(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

}  // namespace

bool ValidUtf8(const std::string& bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t n = Utf8Sequence(bytes, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string JsonExport(const ExportInput& in) {
  json doc;
  for (const auto& [key, list] : {std::pair{"folders", &in.folders}, std::pair{"references", &in.references}}) {
    json names = json::array();
    for (const std::string& folder : *list) {
      json named;
      PutName(named, "path", folder);
      names.push_back(std::move(named));
    }
    doc[key] = std::move(names);
  }
  doc["keep_rule"] = Replaced(dupes::KeepRuleText(*in.rule));
  json groups = json::array();
  for (std::size_t g = 0; g < in.review->groups.size(); ++g) {
    const dupes::TwinGroup& group = in.review->groups[g];
    json jg;
    jg["group"] = g + 1;
    jg["why_kept"] = WhyJson(group.why, in.language, in.rule);
    std::uint64_t surplus = 0;
    json members = json::array();
    for (std::size_t m : KeptFirst(group)) {
      const dupes::TwinMember& member = group.members[m];
      const dupes::FileRec& r = (*in.table)[member.row];
      const dupes::PictureFacts f = FactsOf(in, member.row);
      json jm;
      jm["role"] = m == group.kept ? "keep" : "copy";
      jm["reference"] = r.reference;
      PutName(jm, "path", r.path);
      PutName(jm, "name", r.filename);
      jm["size"] = r.identity.size;
      jm["width"] = IsPicture(f) ? json(f.width) : json(nullptr);
      jm["height"] = IsPicture(f) ? json(f.height) : json(nullptr);
      jm["format"] = IsPicture(f) && f.kind != dupes::PictureKind::Other ? json(KindWord(f.kind)) : json(nullptr);
      jm["date_taken"] = f.dateTaken.empty() ? json(nullptr) : json(Replaced(IsoDate(f.dateTaken)));
      jm["camera_original"] = f.camera;
      jm["companions"] = CompanionWords(r.companions);
      jm["identical"] = member.likeness.identical;
      jm["distance"] = member.likeness.distance;
      jm["correlation"] = member.likeness.correlation;
      jm["common_area_percent"] = member.likeness.commonAreaPercent;
      if (m != group.kept) surplus += static_cast<std::uint64_t>(r.identity.size);
      members.push_back(std::move(jm));
    }
    jg["surplus_bytes"] = surplus;
    jg["members"] = std::move(members);
    groups.push_back(std::move(jg));
  }
  doc["groups"] = std::move(groups);
  if (in.extraction) {
    const dupes::ExtractResult& x = *in.extraction;
    json jx;
    jx["dry_run"] = in.dryRun;
    jx["moved_files"] = x.movedCount;
    jx["moved_bytes"] = x.movedBytes;
    jx["left_differs"] = x.differs;
    jx["left_changed"] = x.changed;
    jx["failed"] = x.failed;
    PutName(jx, "samedir", x.samedir);
    json outcomes = json::array();
    for (const dupes::SurplusOutcome& o : x.outcomes) {
      json jo;
      jo["result"] = OutcomeWord(o.kind, in.dryRun);
      jo["companion"] = o.sidecar;
      PutName(jo, "from", o.from);
      PutName(jo, "kept", o.keptPath);
      PutName(jo, "to", o.to);
      outcomes.push_back(std::move(jo));
    }
    jx["files"] = std::move(outcomes);
    doc["extraction"] = std::move(jx);
  }
  return doc.dump(2) + "\n";
}

std::string CsvExport(const ExportInput& in) {
  std::string out =
      "group,role,path,name,size,width,height,format,date_taken,identical,distance,correlation,"
      "common_area_percent,why_criterion,why_kept\r\n";
  for (std::size_t g = 0; g < in.review->groups.size(); ++g) {
    const dupes::TwinGroup& group = in.review->groups[g];
    for (std::size_t m : KeptFirst(group)) {
      const dupes::TwinMember& member = group.members[m];
      const dupes::FileRec& r = (*in.table)[member.row];
      const dupes::PictureFacts f = FactsOf(in, member.row);
      const bool kept = m == group.kept;
      const std::vector<std::string> fields = {
          std::to_string(g + 1),
          kept ? "keep" : "copy",
          r.path,
          r.filename,
          std::to_string(r.identity.size),
          IsPicture(f) ? std::to_string(f.width) : "",
          IsPicture(f) ? std::to_string(f.height) : "",
          IsPicture(f) ? KindWord(f.kind) : "",
          IsoDate(f.dateTaken),
          member.likeness.identical ? "1" : "0",
          std::to_string(member.likeness.distance),
          Fixed(member.likeness.correlation, 3),
          std::to_string(member.likeness.commonAreaPercent),
          kept ? CriterionWord(group.why.criterion) : "",
          kept ? texts::Words(group.why, in.language, in.rule) : "",
      };
      for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        out += CsvField(fields[i]);
      }
      out += "\r\n";
    }
  }
  return out;
}

}  // namespace pictray::cli
