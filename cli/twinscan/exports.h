// twinscan-cli's exports for scripts: the groups as JSON (--json) or CSV
// (--csv), each member with its path, size, pixels, format, date taken,
// role, the reason its group's kept file stays and how it is the same.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/list/twin_groups.h"
#include "engine/list/twin_table.h"
#include "engine/move/extract.h"
#include "texts/texts.h"

namespace pictray::cli {

struct ExportInput {
  std::vector<std::string> folders, references;  // searched, and the reference folders
  const dupes::KeepRule* rule = nullptr;
  const std::vector<dupes::FileRec>* table = nullptr;
  const dupes::TwinReview* review = nullptr;
  const dupes::ExtractResult* extraction = nullptr;  // with --extract
  bool dryRun = false;
  texts::Language language = texts::Language::English;  // of the reasons' words
};

// One JSON document (nlohmann-json), pretty-printed, ending in a line feed.
// Names are bytes: one that is not valid UTF-8 is written with U+FFFD for
// each byte that is not, and exactly as hex bytes in a field of the same
// key followed by "_hex" ("path_hex"), which only such names have.
std::string JsonExport(const ExportInput& in);

// RFC 4180: a header line, then one line per member of a group, fields
// separated by commas, lines ended by CR LF, a field holding a comma, a
// double quote, a CR or an LF in double quotes with its double quotes
// doubled. Names are written as their bytes.
std::string CsvExport(const ExportInput& in);

// Whether `bytes` is valid UTF-8 (no overlong forms, surrogates or code
// points past U+10FFFF).
bool ValidUtf8(const std::string& bytes);

}  // namespace pictray::cli
