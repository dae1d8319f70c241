#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/run_program.h"

namespace pictray {
namespace {

using testing::ProgramRun;
using testing::TempDir;

// Both command lines choose their language by the windows' rule (tested
// with the texts): --lang, else the locale; twinscan-cli's own lines too.
TEST(LanguageCli, ArgumentThenLocaleChooseTheWords) {
  struct Case {
    const char* program;
    std::vector<std::string> settings;  // for env(1): unset, then set
    std::vector<std::string> args;
    int status;
    const char* said;  // in standard error, or in standard output for --help
    const char* folder = "pics";  // made; any other name is missing
  } cases[] = {
      {"pictray-cli", {"LC_ALL=en_US.UTF-8"}, {}, 0, "message: Listing finished\n"},
      {"pictray-cli", {"LC_ALL=en_US.UTF-8"}, {"--lang", "ja"}, 0, "message: Listup終了\n"},
      {"pictray-cli", {"LC_ALL=C"}, {"--lang=en"}, 0, "message: Listing finished\n"},
      {"twinscan-cli", {"LC_ALL=C"}, {"--lang", "xx"}, 2, "--lang takes ja or en, not \"xx\""},
      {"twinscan-cli", {"LC_ALL=C"}, {"--lang", "en"}, 0, ""},
      {"pictray-cli", {"LC_ALL=de_DE.UTF-8"}, {}, 0, "message: Listing finished\n"},
      {"pictray-cli", {"LC_ALL=", "LC_MESSAGES=", "LANG=ja_JP.UTF-8"}, {}, 0, "message: Listup終了\n"},
      {"twinscan-cli", {"LC_ALL=ja_JP.UTF-8"}, {}, 2, "twinscan-cli: フォルダを読めません: ", "none"},
      {"twinscan-cli", {"LC_ALL=fr_FR.UTF-8"}, {}, 2, "twinscan-cli: Cannot read the folder: ", "none"},
      {"twinscan-cli", {"LC_ALL=ja_JP.UTF-8"}, {"--lang", "en", "--bogus"}, 2, "usage: twinscan-cli"},
      {"twinscan-cli", {"LC_ALL=ja_JP.UTF-8"}, {"--help"}, 0, "ロケールなら日本語、それ以外は英語"},
      {"twinscan-cli", {"LC_ALL=C"}, {"--help"}, 0, "Japanese for a Japanese locale"},
      {"pictray-cli", {"LC_ALL=ja_JP.UTF-8"}, {"--help"}, 0, "  char=パターン\n      パターンに合う名前に"},
      {"pictray-cli", {"LC_ALL=C"}, {"--help"}, 0, "  clear\n      clear every file's target\n"},
      {"pictray-cli", {"LC_ALL=C"}, {"--lang", "ja", "--bogus"}, 2, "使い方: pictray-cli"},
  };
  for (const Case& c : cases) {
    TempDir d;
    std::filesystem::create_directory(d.path() + "/pics");
    std::vector<std::string> args{"/usr/bin/env"};
    args.insert(args.end(), c.settings.begin(), c.settings.end());
    args.push_back(std::string(PICTRAY_BIN_DIR) + "/" + c.program);
    if (std::string(c.program) == "pictray-cli") args.insert(args.end(), {"--ini", d.path() + "/Pictray.ini"});
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back(d.path() + "/" + c.folder);
    const ProgramRun r = testing::RunProgram(d, args);
    EXPECT_EQ(r.status, c.status) << c.program << ' ' << r.err;
    EXPECT_NE((r.err + r.out).find(c.said), std::string::npos) << c.program << ' ' << r.err;
  }
}

}  // namespace
}  // namespace pictray
