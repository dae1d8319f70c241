// twinscan-cli [--similar] [--groups | --json | --csv] [--keep RULE] [--quiet]
//              [--extract [--dry-run]] [-r] [--reference LIBRARY]... FOLDER...
//            | --undo FOLDER | --undo-list FOLDER | --forget-decisions
// Runs Twinscan's automatic run on FOLDER (list, key, sort, group; with
// --similar the same pictures too) and prints the table (file, folda,
// filename, size, sameno, firstfile), the members of each group (--similar)
// or one group a line (--groups), or exports the groups as JSON or CSV.
// With --extract the surplus copies are moved; --dry-run stops right before
// the first change on disk. On a terminal, standard error follows the run.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <iostream>

#include "cli/common/program_dir.h"
#include "cli/common/undo_commands.h"
#include "cli/twinscan/heap_pages.h"
#include "cli/twinscan/exports.h"
#include "cli/twinscan/terminal_progress.h"
#include "cli/twinscan/cli_host.h"
#include "cli/twinscan/search_module.h"
#include "engine/colour/thumbnail_library.h"
#include "engine/dupes/decisions.h"
#include "engine/dupes/keep_rule.h"
#include "engine/journal/tab_fields.h"
#include "engine/runs/twinscan_commands.h"
#include "engine/settings/program_folders.h"
#include "engine/similar/similar_tools.h"
#include "pictray_version.h"
#include "texts/texts.h"

namespace {

using namespace pictray::dupes;
using pictray::EscapeField;
using pictray::dupes::Likeness;
using pictray::dupes::PictureFacts;
using pictray::dupes::TwinGroup;
using pictray::dupes::TwinMember;
using pictray::dupes::TwinReview;

using pictray::texts::CliText;
using pictray::texts::Language;
using pictray::texts::Words;

int Usage(Language lang) {
  std::fputs(Words(CliText::TwinscanUsage, lang).c_str(), stderr);
  return 2;
}

int Help(Language lang) {
  std::fputs(Words(CliText::TwinscanUsage, lang).c_str(), stdout);
  std::fputs(Words(CliText::TwinscanHelp, lang).c_str(), stdout);
  return 0;
}

// One line of standard error in the chosen language.
void Say(const pictray::Message& message, Language lang) {
  std::fprintf(stderr, "twinscan-cli: %s\n", Words(message, lang).c_str());
}

// The fields joined by tabs, each escaped, and a line feed.
template <typename Fields>
void PrintFields(const Fields& fields) {
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

void PrintLine(std::initializer_list<std::string> fields) { PrintFields(fields); }

void PrintTable(const std::vector<FileRec>& table) {
  for (const FileRec& r : table) PrintLine({r.file, r.folda, r.filename, r.size, r.sameno, r.firstfile});
}

// The kept member first, then the others as found.
std::vector<std::size_t> KeptFirst(const TwinGroup& g) {
  std::vector<std::size_t> order{g.kept};
  for (std::size_t m = 0; m < g.members.size(); ++m)
    if (m != g.kept) order.push_back(m);
  return order;
}

void PrintGroups(const std::vector<FileRec>& table, const TwinReview& review) {
  for (const TwinGroup& g : review.groups) {
    std::vector<std::string> names;
    for (std::size_t m : KeptFirst(g)) names.push_back(table[g.members[m].row].filename);
    PrintFields(names);
  }
}

std::string Fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// One line per file of a group: how it is the same as the kept file; the
// kept file's line ends with why it stays.
void PrintMembers(const std::vector<FileRec>& table, const TwinReview& review, const KeepRule& rule, Language lang) {
  for (std::size_t g = 0; g < review.groups.size(); ++g) {
    const TwinGroup& group = review.groups[g];
    for (std::size_t m : KeptFirst(group)) {
      const TwinMember& member = group.members[m];
      const FileRec& r = table[member.row];
      const PictureFacts facts = member.row < review.facts.size() ? review.facts[member.row] : PictureFacts{};
      const std::string pixels =
          facts.width > 0 ? std::to_string(facts.width) + "x" + std::to_string(facts.height) : "";
      const Likeness& l = member.likeness;
      PrintLine({std::to_string(g + 1), m == group.kept ? "keep" : "copy", r.filename, r.size, pixels,
                 std::to_string(l.distance), Fixed(l.correlation, 3), std::to_string(l.commonAreaPercent),
                 m == group.kept ? Words(group.why, lang, &rule) : ""});
    }
  }
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
    // The copies' table is in fixed English words, as its kinds are.
    const std::string last = o.kind == SurplusOutcome::Kind::Failed
                                 ? pictray::texts::Words(SurplusLeftMessage(o), Language::English)
                                 : o.to;
    PrintLine({KindText(o.kind, dryRun), o.from, o.keptPath, last});
  }
  std::printf("[end]\n");
  std::printf("%s\t%d\n", dryRun ? "would move" : "moved", res.movedCount);
  std::printf("left, differs\t%d\nleft, changed\t%d\nfailed\t%d\n", res.differs, res.changed,
              res.failed);
  PrintLine({"samedir", res.samedir});
  // A library's other roots' extraction folders.
  for (const std::string& dir : res.samedirs)
    if (dir != res.samedir) PrintLine({"samedir", dir});
}

// The pictures the search for the same pictures left out, on standard
// error: how many, then each with why, so that none is left out silently.
void SaySkipped(const std::vector<FileRec>& table, const TwinReview& review, Language lang) {
  if (review.skipped.empty()) return;
  Say({pictray::Said::SimilarSkipped, {}, {static_cast<long long>(review.skipped.size())}}, lang);
  for (const pictray::dupes::SkippedPicture& s : review.skipped) {
    if (s.row >= table.size()) continue;
    const pictray::Said said = s.reason == SkipReason::TooLarge         ? pictray::Said::SimilarSkippedTooLarge
                               : s.reason == SkipReason::FormatNotDrawn ? pictray::Said::SimilarSkippedFormat
                                                                        : pictray::Said::SimilarSkippedUnreadable;
    Say({said, {EscapeField(table[s.row].path)}}, lang);
  }
}

// --undo: the table's undo, printing what went back and what was left.
int Undo(const std::string& folder, const std::string& journals, Language lang) {
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

// What the extraction moved, in words: how many files and their size.
void SayMoved(const ExtractResult& res, bool dryRun, Language lang) {
  std::string last = res.samedir;
  if (!last.empty() && last.back() == '/') last.pop_back();
  last = last.substr(last.rfind('/') == std::string::npos ? 0 : last.rfind('/') + 1);
  const pictray::Said said = dryRun                 ? pictray::Said::ExtractDryRunEnd
                             : res.samedir.empty() ? pictray::Said::NothingExtracted
                                                   : pictray::Said::ExtractedInto;
  Say({said,
       {EscapeField(last)},
       {res.differs + res.changed, res.failed, res.movedCount, static_cast<long long>(res.movedBytes)}},
      lang);
}

}  // namespace

int main(int argc, char** argv) {
  const pictray::texts::LanguageArgument language = pictray::texts::TakeLanguageArgument(argc, argv);
  if (!language.error.empty()) {
    std::fprintf(stderr, "twinscan-cli: %s\n", language.error.c_str());
    return Usage(pictray::texts::LanguageOfEnvironment());
  }
  const Language lang = pictray::texts::ChosenLanguage(language);
  bool extract = false, dryRun = false, similar = false, groups = false, subfolders = false, forget = false;
  bool json = false, csv = false, quiet = false;
  KeepRule keepRule = DefaultKeepRule();
  std::vector<std::string> folders, references;
  const std::string journals = pictray::JournalDir(pictray::fs::DefaultEnv(), "twinscan");
  const std::string decisions = DecisionsPath(pictray::fs::DefaultEnv(), "twinscan");
  if (argc == 3 && std::strcmp(argv[1], "--undo") == 0) return Undo(argv[2], journals, lang);
  if (argc == 3 && std::strcmp(argv[1], "--undo-list") == 0)
    return pictray::cli::PrintUndoList(journals, argv[2], std::cout, std::cerr, "twinscan-cli", lang);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      return Help(lang);
    } else if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("twinscan-cli %s\n", kPictrayVersion);
      return 0;
    } else if (std::strcmp(argv[i], "--extract") == 0) {
      extract = true;
    } else if (std::strcmp(argv[i], "--dry-run") == 0) {
      dryRun = true;
    } else if (std::strcmp(argv[i], "--json") == 0) {
      json = true;
    } else if (std::strcmp(argv[i], "--csv") == 0) {
      csv = true;
    } else if (std::strcmp(argv[i], "--quiet") == 0) {
      quiet = true;
    } else if (std::strcmp(argv[i], "--similar") == 0) {
      similar = true;
    } else if (std::strcmp(argv[i], "--groups") == 0) {
      groups = true;
    } else if (std::strcmp(argv[i], "--keep") == 0) {
      if (i + 1 >= argc) return Usage(lang);
      const KeepRuleParse rule = ParseKeepRule(argv[++i]);
      if (!rule.rule) {
        Say(pictray::texts::KeepRuleProblem(rule.error, EscapeField(rule.word)), lang);
        return 2;
      }
      keepRule = *rule.rule;
    } else if (std::strcmp(argv[i], "-r") == 0 || std::strcmp(argv[i], "--recursive") == 0) {
      subfolders = true;
    } else if (std::strcmp(argv[i], "--reference") == 0) {
      if (i + 1 >= argc) return Usage(lang);
      references.push_back(argv[++i]);
    } else if (std::strcmp(argv[i], "--forget-decisions") == 0) {
      forget = true;
    } else if (argv[i][0] == '-') {
      return Usage(lang);
    } else {
      folders.push_back(argv[i]);
    }
  }
  if (forget) {
    const std::size_t count = CountDecisions(pictray::fs::DefaultEnv(), decisions);
    if (const int e = ForgetDecisions(pictray::fs::DefaultEnv(), decisions); e != 0) {
      std::fprintf(stderr, "twinscan-cli: %s: %s\n", EscapeField(decisions).c_str(), std::strerror(e));
      return 1;
    }
    Say({pictray::Said::DecisionsForgotten, {}, {static_cast<int>(count)}}, lang);
    if (folders.empty() && references.empty()) return 0;
  }
  if (folders.empty() || (dryRun && !extract) || int(groups) + int(json) + int(csv) > 1) return Usage(lang);
  const std::string& folder = folders[0];

  pictray::TwinscanBlock val;
  val.TargetFolda = folder;
  if (folders.size() > 1 || !references.empty() || subfolders) {
    val.folders = folders;
    val.references = references;
    val.subfolders = subfolders;
  }
  val.decisionsPath = decisions;
  val.MoveSoon = extract;
  val.dryRun = dryRun;
  val.keepRule = keepRule;
  val.journalDir = journals;
  // The same pictures are drawn through the program's thumbnail library and
  // looked for by the search's module, both loaded only when asked for.
  pictray::ThumbnailLibrary library;
  pictray::cli::SearchModule search;
  pictray::similar::SimilarTools tools;
  const pictray::ProgramFolders program =
      pictray::LocateProgramFolders(pictray::fs::DefaultEnv(), pictray::cli::ProgramDir());
  if (similar) {
    std::string why;
    const std::string path = program.libraryDir + "/libthumbkit.so";
    if (!library.Load(path, &why)) {
      std::fprintf(stderr, "twinscan-cli: cannot load the thumbnail library %s: %s\n", path.c_str(), why.c_str());
      return 2;
    }
    if (!search.Load(program.libraryDir, &tools.search, &why)) {
      std::fprintf(stderr, "twinscan-cli: %s\n", why.c_str());
      return 2;
    }
    tools.lib = library.calls();
    tools.cacheDir = pictray::CacheDir(pictray::fs::DefaultEnv(), "twinscan");
    tools.threads = std::max(1u, std::thread::hardware_concurrency());
    val.similar = true;
    val.similarTools = &tools;
    val.extractSimilar = extract;
  } else if (json || csv) {
    // The exports give the pictures' facts where the search's module can
    // read them (it draws nothing for that); without it they stay empty.
    std::string why;
    if (search.Load(program.libraryDir, &tools.search, &why)) val.similarTools = &tools;
  }
  // The table printed leaves out the keys, so only keys that decide order or
  // groups are read.
  val.keyEveryFile = false;
  // With --groups no table is printed: a file of no group needs no key.
  val.groupsOnly = groups;
  // The exact search's table and keys: a few hundred bytes a file. The
  // search for the same pictures decodes pictures, whose buffers go back to
  // the system as they are freed.
  if (!similar) pictray::cli::AskHugePagesForHeap(std::size_t{16} << 20);
  pictray::cli::TerminalProgress progress(!quiet && ::isatty(STDERR_FILENO) == 1, lang);
  pictray::cli::TwinscanCliHost host(&progress, json || csv);
  const pictray::TwinscanReport report =
      pictray::FindTwinscanCommand(pictray::twinscan::cmd::FindCopies)->run(val, host);
  progress.Clear();
  if (report.openError != 0) {
    const std::string& failed = report.failedFolder.empty() ? folder : report.failedFolder;
    Say({pictray::Said::FolderUnreadable, {EscapeField(failed), std::strerror(report.openError)}}, lang);
    return 2;
  }
  if (report.end.hiddenGroups + report.end.hiddenMembers > 0)
    Say({pictray::Said::DecisionsHidden,
         {},
         {static_cast<int>(report.end.hiddenGroups), static_cast<int>(report.end.hiddenMembers)}},
        lang);
  SaySkipped(report.grouped, host.review, lang);
  const ExtractResult* res = report.extraction ? &*report.extraction : nullptr;
  const bool refused = res && res->lockError != 0;
  if (json || csv) {
    pictray::cli::ExportInput in;
    in.folders = folders;
    in.references = references;
    in.rule = &keepRule;
    in.table = &report.grouped;
    // The groups as found: an extraction leaves only what it did not move.
    in.review = &host.firstReview;
    in.extraction = refused ? nullptr : res;
    in.dryRun = dryRun;
    in.language = lang;
    const std::string text = json ? pictray::cli::JsonExport(in) : pictray::cli::CsvExport(in);
    std::fwrite(text.data(), 1, text.size(), stdout);
  } else if (groups) {
    PrintGroups(report.grouped, host.review);
  } else if (similar) {
    PrintMembers(report.grouped, host.review, keepRule, lang);
  } else {
    PrintTable(report.grouped);
  }
  if (!res) return 0;

  if (res->lockError != 0) {
    Say(res->lockError == EWOULDBLOCK ? pictray::Message{pictray::Said::FolderBusy}
                                      : pictray::Message{pictray::Said::FolderNotOpened, {EscapeField(folder)}, {},
                                                         res->lockError},
        lang);
    return 1;
  }
  // Nothing moved and no folder made: the record could not be made at all.
  if (res->journalError != 0)
    Say({res->movedCount == 0 && res->samedir.empty() ? pictray::Said::ExtractJournalNotCreated
                                                      : pictray::Said::ExtractJournalStopped,
         {EscapeField(res->journalPath)}, {}, res->journalError},
        lang);
  if (!json && !csv) PrintExtraction(*res, dryRun);
  if (!quiet) SayMoved(*res, dryRun, lang);
  return res->failed > 0 || res->journalError != 0 ? 1 : 0;
}
