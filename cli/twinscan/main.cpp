// twinscan-cli [--extract [--dry-run]] FOLDER
// Lists, keys, sorts and groups FOLDER as Twinscan does and prints the table
// (file, folda, filename, size, sameno, firstfile). With --extract the surplus
// copies are moved; --dry-run stops right before the first change on disk.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/dupes/dupes.h"
#include "engine/dupes/extract.h"

namespace {

using namespace pictray::dupes;

int Usage() {
  std::fprintf(stderr, "usage: twinscan-cli [--extract [--dry-run]] FOLDER\n");
  return 2;
}

void PrintTable(const std::vector<FileRec>& table) {
  for (const FileRec& r : table)
    std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", r.file.c_str(), r.folda.c_str(), r.filename.c_str(),
                r.size.c_str(), r.sameno.c_str(), r.firstfile.c_str());
}

const char* KindText(SurplusOutcome::Kind k, bool dryRun) {
  switch (k) {
    case SurplusOutcome::Kind::Moved: return dryRun ? "would move" : "moved";
    case SurplusOutcome::Kind::Failed: return "failed";
    case SurplusOutcome::Kind::Differs: return "left, differs";
    case SurplusOutcome::Kind::Changed: return "left, changed";
  }
  return "";
}

// One line per surplus copy: what happened, the copy, its kept file, and
// where it went (or why not).
void PrintExtraction(const ExtractResult& res, bool dryRun) {
  std::printf("[result]\n");
  for (const SameResultLine& l : res.lines)
    std::printf("%s\t%d\t%s\t%s\t%s\n", l.folda.c_str(), l.count, l.firstFile.c_str(),
                l.path.c_str(), l.mode.c_str());
  std::printf("[copies]\n");
  for (const SurplusOutcome& o : res.outcomes) {
    const std::string& last = o.kind == SurplusOutcome::Kind::Failed ? o.reason : o.to;
    std::printf("%s\t%s\t%s\t%s\n", KindText(o.kind, dryRun), o.from.c_str(), o.keptPath.c_str(),
                last.c_str());
  }
  std::printf("[end]\n");
  std::printf("%s\t%d\n", dryRun ? "would move" : "moved", res.movedCount);
  std::printf("left, differs\t%d\nleft, changed\t%d\nfailed\t%d\n", res.differs, res.changed,
              res.failed);
  std::printf("samedir\t%s\n", res.samedir.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  bool extract = false, dryRun = false;
  std::string folder;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--extract") == 0) {
      extract = true;
    } else if (std::strcmp(argv[i], "--dry-run") == 0) {
      dryRun = true;
    } else if (argv[i][0] == '-' || !folder.empty()) {
      return Usage();
    } else {
      folder = argv[i];
    }
  }
  if (folder.empty() || (dryRun && !extract)) return Usage();

  // The table printed leaves out the keys, so only keys that decide order or
  // groups are read.
  std::vector<FileRec> table = SetListView(folder, nullptr, Keying::WhereNeeded);
  SetSizeWork(table);
  SortFileTable(table, 0);
  SetFolda(table);
  PrintTable(table);
  if (!extract || table.empty()) return 0;

  ExtractResult res = MakeFoldaAndMove(table, folder, pictray::TimeStamp::Now(), dryRun, {});
  PrintExtraction(res, dryRun);
  return res.failed > 0 ? 1 : 0;
}
