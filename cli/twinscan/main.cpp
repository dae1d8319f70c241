// twinscan-cli [--extract [--dry-run]] FOLDER | --undo FOLDER | --undo-list FOLDER
// Runs Twinscan's automatic run on FOLDER (list, key, sort, group) and prints
// the table (file, folda, filename, size, sameno, firstfile). With --extract
// the surplus copies are moved; --dry-run stops right before the first
// change on disk.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <iostream>

#include "cli/common/undo_commands.h"
#include "cli/twinscan/cli_host.h"
#include "engine/dupes/keep_rule.h"
#include "engine/journal/tab_fields.h"
#include "engine/runs/twinscan_commands.h"
#include "pictray_version.h"
#include "texts/texts.h"

namespace {

using namespace pictray::dupes;
using pictray::EscapeField;

constexpr const char* kUsage =
    "usage: twinscan-cli [--keep original|oldest] [--extract [--dry-run]] FOLDER\n"
    "       twinscan-cli --undo FOLDER | --undo-list FOLDER\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int Help() {
  std::fputs(kUsage, stdout);
  std::fputs(
      "Lists the files of FOLDER and groups the byte-identical ones; prints one line per file:\n"
      "file, folda, filename, size, sameno, firstfile, separated by tabs.\n"
      "  --keep RULE which file of a set of copies stays: original (the default: a name without\n"
      "              a copy marker such as \" (1)\" or \" - Copy\", then the larger, the older, the\n"
      "              shorter name) or oldest (the oldest modification time first)\n"
      "  --extract   move every surplus copy into a new same... folder inside FOLDER\n"
      "  --dry-run   with --extract: say what would be moved, change nothing\n"
      "  --undo FOLDER       take back the last extraction of FOLDER: each copy returns while it\n"
      "                      is still the file that was moved and its name is free; prints\n"
      "                      \"back N\" and one line per file left, with why\n"
      "  --undo-list FOLDER  the extractions of FOLDER that can still be taken back\n"
      "  --lang ja|en        the language of messages (default: English for an English locale in\n"
      "                      LC_ALL, LC_MESSAGES or LANG, else Japanese)\n"
      "Journals are kept in $XDG_STATE_HOME/twinscan/journals (or ~/.local/state/...), the last\n"
      "50 runs per folder.\n"
      "In every field printed, a tab, a line feed and a backslash are written as \\t, \\n and \\\\.\n"
      "Exit status: 0 done; 1 a copy could not be moved, or another run is moving files of FOLDER\n"
      "(nothing is moved then); 2 bad arguments, or FOLDER cannot be read as a folder.\n",
      stdout);
  return 0;
}

// The fields joined by tabs, each escaped, and a line feed.
void PrintLine(std::initializer_list<std::string> fields) {
  std::string line;
  bool first = true;
  for (const std::string& f : fields) {
    if (!first) line += '\t';
    first = false;
    line += EscapeField(f);
  }
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
}

void PrintTable(const std::vector<FileRec>& table) {
  for (const FileRec& r : table) PrintLine({r.file, r.folda, r.filename, r.size, r.sameno, r.firstfile});
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
    PrintLine({l.folda, std::to_string(l.count), l.firstFile, l.path, l.mode});
  std::printf("[copies]\n");
  for (const SurplusOutcome& o : res.outcomes) {
    const std::string& last = o.kind == SurplusOutcome::Kind::Failed ? o.reason : o.to;
    PrintLine({KindText(o.kind, dryRun), o.from, o.keptPath, last});
  }
  std::printf("[end]\n");
  std::printf("%s\t%d\n", dryRun ? "would move" : "moved", res.movedCount);
  std::printf("left, differs\t%d\nleft, changed\t%d\nfailed\t%d\n", res.differs, res.changed,
              res.failed);
  PrintLine({"samedir", res.samedir});
}

// --undo: the table's undo, printing what went back and what was left.
int Undo(const std::string& folder, const std::string& journals, pictray::texts::Language lang) {
  int status = 0;
  const pictray::UndoTurns turns =
      pictray::cli::PrintingUndoTurns(folder, std::cout, std::cerr, "twinscan-cli", lang, &status);
  pictray::TwinscanBlock val;
  val.TargetFolda = folder;
  val.journalDir = journals;
  val.undoTurns = &turns;
  pictray::cli::TwinscanCliHost host;
  pictray::FindTwinscanWord("--undo")->run(val, host);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const pictray::texts::LanguageArgument language = pictray::texts::TakeLanguageArgument(argc, argv);
  if (!language.error.empty()) {
    std::fprintf(stderr, "twinscan-cli: %s\n", language.error.c_str());
    return Usage();
  }
  const pictray::texts::Language lang = pictray::texts::ChosenLanguage(language);
  bool extract = false, dryRun = false;
  KeepFirst keepFirst = KeepFirst::Original;
  std::string folder;
  const std::string journals = pictray::JournalDir(pictray::fs::DefaultEnv(), "twinscan");
  if (argc == 3 && std::strcmp(argv[1], "--undo") == 0) return Undo(argv[2], journals, lang);
  if (argc == 3 && std::strcmp(argv[1], "--undo-list") == 0)
    return pictray::cli::PrintUndoList(journals, argv[2], std::cout, std::cerr, "twinscan-cli", lang);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      return Help();
    } else if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("twinscan-cli %s\n", kPictrayVersion);
      return 0;
    } else if (std::strcmp(argv[i], "--extract") == 0) {
      extract = true;
    } else if (std::strcmp(argv[i], "--dry-run") == 0) {
      dryRun = true;
    } else if (std::strcmp(argv[i], "--keep") == 0) {
      const auto rule = i + 1 < argc ? ParseKeepFirst(argv[++i]) : std::nullopt;
      if (!rule) return Usage();
      keepFirst = *rule;
    } else if (argv[i][0] == '-' || !folder.empty()) {
      return Usage();
    } else {
      folder = argv[i];
    }
  }
  if (folder.empty() || (dryRun && !extract)) return Usage();

  pictray::TwinscanBlock val;
  val.TargetFolda = folder;
  val.MoveSoon = extract;
  val.dryRun = dryRun;
  val.keepFirst = keepFirst;
  val.journalDir = journals;
  // The table printed leaves out the keys, so only keys that decide order or
  // groups are read.
  val.keyEveryFile = false;
  pictray::cli::TwinscanCliHost host;
  const pictray::TwinscanReport report =
      pictray::FindTwinscanCommand(pictray::twinscan::cmd::FindCopies)->run(val, host);
  if (report.openError != 0) {
    std::fprintf(stderr, "twinscan-cli: cannot read the folder %s: %s\n", EscapeField(folder).c_str(),
                 std::strerror(report.openError));
    return 2;
  }
  PrintTable(report.grouped);
  if (!report.extraction) return 0;

  const ExtractResult& res = *report.extraction;
  if (res.lockError != 0) {
    if (res.lockError == EWOULDBLOCK)
      std::fprintf(stderr, "twinscan-cli: %s\n",
                   pictray::texts::Words(pictray::Message{pictray::Said::FolderBusy}, lang).c_str());
    else
      std::fprintf(stderr, "twinscan-cli: cannot open the folder %s: %s\n", EscapeField(folder).c_str(),
                   std::strerror(res.lockError));
    return 1;
  }
  if (res.journalError != 0)
    std::fprintf(stderr, "twinscan-cli: the journal %s: %s\n", EscapeField(res.journalPath).c_str(),
                 std::strerror(res.journalError));
  PrintExtraction(res, dryRun);
  return res.failed > 0 || res.journalError != 0 ? 1 : 0;
}
