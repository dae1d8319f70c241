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

// One step a paragraph: the step with its value, then what it does,
// indented: every run command's, then the steps on the rows ("clear").
std::string StepsHelp(texts::Language lang) {
  std::string out;
  const auto paragraph = [&](std::string_view word, int id) {
    const texts::StepWords w = texts::WordsOfStep(id, lang);
    out += "  " + std::string(word) + w.value + "\n      ";
    for (char c : w.what) {
      out += c;
      if (c == '\n') out += "      ";
    }
    out += '\n';
  };
  for (const RunCommand& c : RunCommands()) paragraph(c.verb, c.id);
  for (const RowsCommand& c : RowsCommands())
    if (!c.word.empty() && !c.word.starts_with("--")) paragraph(c.word, c.id);
  return out;
}

std::string Help(texts::Language lang) {
  using texts::CliText;
  return Words(CliText::PictrayUsage, lang) + "\n\n" + Words(CliText::PictrayHelpHead, lang) + ListUpAnalyses() +
         "\n" + Words(CliText::PictrayHelpOptions, lang) + "\n" + Words(CliText::PictrayHelpSteps, lang) +
         StepsHelp(lang) + "\n" + Words(CliText::PictrayHelpTail, lang);
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

// A folder may hold a million rows: they are written a buffer at a time.
void PrintRows(const FileList& rows) {
  std::string out;
  rows.forEach([&out](std::size_t, const Row& r) {
    for (const std::string* field : {&r.name, &r.target, &r.kind}) {
      AppendEscaped(out, *field);
      out += '\t';
    }
    AppendEscaped(out, ShownNotes(r));
    out += '\n';
    if (out.size() < (64 << 10)) return;
    std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
    out.clear();
  });
  std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
}

int Main(int argc, char** argv) {
  const texts::LanguageArgument language = texts::TakeLanguageArgument(argc, argv);
  const texts::Language lang = texts::ChosenLanguage(language);
  const std::string usage = Words(texts::CliText::PictrayUsage, lang);
  if (!language.error.empty()) return Fail(language.error + "; " + usage);
  Options o;
  std::string error;
  if (!ParseArgs(argc, argv, &o, &error)) return Fail(error + "; " + usage);
  if (o.help) {
    std::cout << Help(lang);
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
  if ((ctx.needsThumbnails || st.flags.M_RP || st.flags.M_RS || st.flags.M_Sharp) && !LoadThumbnails(LocateProgramFolders(fs::DefaultEnv(), ProgramDir()).libraryDir, thumbnails, st, &error))
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
