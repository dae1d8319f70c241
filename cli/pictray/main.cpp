// pictray-cli: lists a folder as list-up does, applies steps as a user
// pressing buttons one after another, and prints one line per row.
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/journal/tab_fields.h"
#include "cli/common/program_dir.h"
#include "cli/pictray/cli_host.h"
#include "cli/pictray/cli_steps.h"
#include "cli/common/undo_commands.h"
#include "engine/run/null_host.h"
#include "engine/settings/settings_store.h"
#include "pictray_version.h"

namespace pictray::cli {
namespace {

constexpr const char* kUsage =
    "usage: pictray-cli [--ini FILE] [--select LIST] [--answer clear|keep] FOLDER [STEP ...]"
    " | [--ini FILE] --undo FOLDER | --undo-list FOLDER";

constexpr const char* kHelpHead =
    "Lists FOLDER as Pictray's list-up does, applies each STEP in order, and prints one\n"
    "line per file: name, target, kind, notes, separated by tabs. A tab, a line feed or a\n"
    "backslash inside a field is written as \\t, \\n or \\\\.\n"
    "\n"
    "  --ini FILE       settings file (default: Pictray.ini beside the program, or in\n"
    "                   ~/.config/pictray once installed)\n"
    "  --select LIST    analyses run during list-up: ";

constexpr const char* kHelp =
    "\n"
    "  --answer clear|keep  the answer to every question (default keep)\n"
    "  --lang ja|en     the language of messages (default: Japanese for a Japanese\n"
    "                   locale in LC_ALL, LC_MESSAGES or LANG, else English)\n"
    "\n"
    "Steps: char=PATTERN, phrase=TEXT, ext (name classifications); exif, info, header\n"
    "(Exif date/model/software, header identifier, header check); size, ng (pixel size,\n"
    "broken-file check); rgb=CELLS, ratio, strength (the colour runs: CELLS is a comma\n"
    "list of grid cells 1..PartX*PartX, or all; their settings come from the settings\n"
    "file; they need the program's libthumbkit.so); allcolor=LISTFILE,\n"
    "partcolor=LISTFILE@CELLS (the selected-colour runs: the colours of a list file such\n"
    "as RGB.txt, one RRR:GGG:BBB a line; AllColorMode, PartColorMode, MatchPer and\n"
    "samcount from the settings file); clear (clear the analyses);\n"
    "move (move the files into their target folders; the result lines and every file\n"
    "left in place go to standard error).\n"
    "\n"
    "exif labels by ExifSel of the settings file: the date modified (DateTime) 1 date,\n"
    "2 hour, 3 10 minutes, 4 minute, 11 second, 14 year-month, 15 year; 5 model;\n"
    "6 software; the date taken (DateTimeOriginal) 7 date, 8 hour, 9 10 minutes,\n"
    "10 minute, 12 second, 16 year-month, 17 year. Then the Exif block's byte order\n"
    "\"(II)\"/\"(MM)\", left off by ExifOrderTag=0.\n"
    "exif, size and ng read JPEG and, unless AllFormats=0 in the settings file, also\n"
    "HEIC/HEIF, AVIF, CR2, CR3, CRW, NEF, NRW, ARW, SR2, DNG, ORF, RW2, RAF, PEF, SRW, MRW,\n"
    "TIFF, PNG, WebP and the videos MOV, MP4, M4V, 3GP, told by content (date, model,\n"
    "software; the full image's size as stored; NG for a file that cannot be read whole,\n"
    "and for one named as such a format that is none). With AllFormats=0 a file of these\n"
    "formats is analysed as a JPEG: no Exif or size label, NG.\n"
    "\n"
    "  --undo FOLDER       take back the last move run of FOLDER that is not taken back yet:\n"
    "                      each file returns while it is still the file that was moved and\n"
    "                      its first name is free; prints one line per file left, with why.\n"
    "                      A run whose files an undo left is passed over for older runs, and\n"
    "                      tried again once they are back\n"
    "  --undo-list FOLDER  the move runs of FOLDER that can still be taken back, newest first:\n"
    "                      time, kind, files to take back, journal; under each, the files its\n"
    "                      last undo left, as --undo prints them\n"
    "Journals are kept in $XDG_STATE_HOME/pictray/journals (or ~/.local/state/...), the last\n"
    "50 runs per folder.\n"
    "\n"
    "Exit status: 0 done; 1 a step, the move or the undo failed or left files, or another run holds the\n"
    "folder; 2 bad arguments or a step that is not available.\n";

// Step handlers of the engine's modules, asked in order.
const StepFn kStepHandlers[] = {RunClearStep, RunCommandStep};

int Fail(const std::string& message) {
  std::cerr << "pictray-cli: " << message << "\n";
  return 2;
}

struct Options {
  std::string ini, select, answer = "keep", folder;
  std::string undo, undoList;  // the folder of --undo / --undo-list
  std::vector<std::string> steps;
  bool help = false;
  bool version = false;
};

bool ParseArgs(int argc, char** argv, Options* o, std::string* error) {
  int i = 1;
  for (; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) {
        *error = a + " needs a value";
        return false;
      }
      *out = argv[++i];
      return true;
    };
    if (a == "--help" || a == "-h") {
      o->help = true;
      return true;
    } else if (a == "--version") {
      o->version = true;
      return true;
    } else if (a == "--ini") {
      if (!value(&o->ini)) return false;
    } else if (a == "--undo") {
      if (!value(&o->undo)) return false;
    } else if (a == "--undo-list") {
      if (!value(&o->undoList)) return false;
    } else if (a == "--select") {
      if (!value(&o->select)) return false;
    } else if (a == "--answer") {
      if (!value(&o->answer)) return false;
      if (o->answer != "clear" && o->answer != "keep") {
        *error = "--answer takes clear or keep";
        return false;
      }
    } else if (a == "--") {
      ++i;
      break;
    } else if (a.rfind("--", 0) == 0) {
      *error = "unknown option " + a;
      return false;
    } else {
      break;
    }
  }
  if (!o->undo.empty() || !o->undoList.empty()) {
    if (i < argc || (!o->undo.empty() && !o->undoList.empty())) {
      *error = "--undo and --undo-list take one folder and nothing else";
      return false;
    }
    return true;
  }
  if (i >= argc) {
    *error = "no folder given";
    return false;
  }
  o->folder = argv[i++];
  for (; i < argc; ++i) o->steps.push_back(argv[i]);
  return true;
}

// The steps --select takes, as the command table has them.
std::string ListUpAnalyses() {
  std::string names;
  for (const RunCommand& c : RunCommands())
    if (c.flag) names += (names.empty() ? "" : ",") + std::string(c.verb);
  return names;
}

// Sets the analysis flags of --select; false for an unknown or unavailable name.
bool ApplySelection(const std::string& list, AnalysisFlags& f, std::string* error) {
  std::stringstream ss(list);
  std::string name;
  while (std::getline(ss, name, ',')) {
    if (name.empty()) continue;
    const RunCommand* c = FindListUpAnalysis(name);
    if (!c) {
      *error = "analysis '" + name + "' is unknown or not available yet";
      return false;
    }
    (f.*c->flag).store(1);
  }
  return true;
}

// The settings file: --ini FILE, or Pictray.ini in the settings folder (the
// program's own, or the user's configuration folder once installed); created
// with its creation values when missing.
bool OpenSettings(const std::string& ini, PictrayState& st, std::string* error) {
  ProgramFolders folders = LocateProgramFolders(fs::DefaultEnv(), ProgramDir());
  std::string path = ini.empty() ? folders.settingsDir + "/Pictray.ini" : ini;
  const std::size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base.size() <= 4 || base.compare(base.size() - 4, 4, ".ini") != 0) {
    *error = "the settings file must end in .ini: " + path;
    return false;
  }
  if (!ini.empty()) {  // the file named is the one used, wherever it is
    folders.settingsDir = dir;
    folders.inUserConfig = false;
  }
  SettingsStore store(fs::DefaultEnv(), folders, base.substr(0, base.size() - 4));
  if (!store.ProfileSetSub(TimeStamp::Now(fs::DefaultEnv()))) {
    *error = store.tooLarge ? "the settings file is too large (a settings file is a few KB, at most 1 MiB): " + path
                            : "cannot create the settings file " + path;
    return false;
  }
  st.GRprofile = st.profile = store.GRprofile;
  st.programDir = ProgramDir();
  st.disabledchar.set(store.disabledchar);
  st.ExifSel.set(store.ExifSel);
  return true;
}

StepResult RunStep(const std::string& step, CliContext& ctx) {
  for (StepFn fn : kStepHandlers) {
    StepResult r = fn(step, ctx);
    if (r != StepResult::NotMine) return r;
  }
  return StepResult::NotMine;
}

// --undo: the table's undo, printing what went back and what was left.
int Undo(const std::string& folder, PictrayState& st, texts::Language lang) {
  auto choice = std::make_shared<RunChoice>();
  int status = 0;
  choice->undo = PrintingUndoTurns(folder, std::cout, std::cerr, "pictray-cli", lang, &status);
  NullHost host;
  RunToEnd({PrepareRowsRun(*FindRowsWord("--undo"), st, host, folder, choice)}, st.runs);
  return status;
}

void PrintRows(const FileList& rows) {
  rows.forEach([](std::size_t, const Row& r) {
    std::cout << EscapeField(r.name) << '\t' << EscapeField(r.target) << '\t' << EscapeField(r.kind)
              << '\t' << EscapeField(ShownNotes(r)) << '\n';
  });
}

int Main(int argc, char** argv) {
  const texts::LanguageArgument language = texts::TakeLanguageArgument(argc, argv);
  if (!language.error.empty()) return Fail(language.error + "; " + kUsage);
  const texts::Language lang = texts::ChosenLanguage(language);
  Options o;
  std::string error;
  if (!ParseArgs(argc, argv, &o, &error)) return Fail(error + "; " + kUsage);
  if (o.help) {
    std::cout << kUsage << "\n\n" << kHelpHead << ListUpAnalyses() << kHelp;
    return 0;
  }
  if (o.version) {
    std::cout << "pictray-cli " << kPictrayVersion << "\n";
    return 0;
  }
  const std::string journals = JournalDir(pictray::fs::DefaultEnv(), "pictray");
  if (!o.undoList.empty()) return PrintUndoList(journals, o.undoList, std::cout, std::cerr, "pictray-cli", lang);
  PictrayState st;
  st.journalDir = journals;
  if (!o.undo.empty()) return Undo(o.undo, st, lang);
  if (!OpenSettings(o.ini, st, &error)) return Fail(error);
  if (!ApplySelection(o.select, st.flags, &error)) return Fail(error);
  CliHost host(o.answer == "clear" ? 6 : 7, std::cerr, lang);
  CliContext ctx{st, host, o.folder, std::cerr, lang, true};
  for (const std::string& step : o.steps) {
    const StepResult checked = RunStep(step, ctx);
    if (checked == StepResult::NotMine) return Fail("step '" + step + "' is unknown or not available yet");
    if (checked == StepResult::Failed) return 2;  // the step said why
  }
  ctx.checkOnly = false;
  ThumbnailLibrary thumbnails;
  if ((ctx.needsThumbnails || st.flags.M_RP || st.flags.M_RS) && !LoadThumbnails(LocateProgramFolders(fs::DefaultEnv(), ProgramDir()).libraryDir, thumbnails, st, &error))
    return Fail(error);

  RunToEnd({PrepareRowsRun(*FindRowsCommand(cmd::ListUp), st, host, o.folder, std::make_shared<RunChoice>())},
           st.runs);
  if (host.failed()) return 1;

  for (const std::string& step : o.steps) {
    if (RunStep(step, ctx) == StepResult::Failed) {
      PrintRows(st.rows);
      return 1;
    }
  }
  PrintRows(st.rows);
  return 0;
}

}  // namespace
}  // namespace pictray::cli

int main(int argc, char** argv) { return pictray::cli::Main(argc, argv); }
