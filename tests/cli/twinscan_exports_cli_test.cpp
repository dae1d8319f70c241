// twinscan-cli for scripts and people: the keep rule as a list, why each
// kept file stays, the JSON and CSV exports read back, what an extraction
// moved, and the progress line on a terminal (a pseudo-terminal here).
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/engine/similar_test_util.h"
#include "tests/support/camera_exif.h"
#include "tests/support/run_program.h"
#include "tests/support/twinscan_cli_folder.h"

extern char** environ;

namespace pictray {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using testing::ProgramRun;
using testing::TempDir;

// RFC 4180's records: fields split at commas outside double quotes, a
// doubled double quote inside them one, records ended by CR LF.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text, bool* wellFormed) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::string field;
  bool quoted = false, inQuotes = false;
  *wellFormed = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inQuotes) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        inQuotes = false;
      }
      continue;
    }
    if (c == '"' && field.empty() && !quoted) {
      quoted = inQuotes = true;
    } else if (c == ',') {
      record.push_back(field);
      field.clear();
      quoted = false;
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      record.push_back(field);
      records.push_back(record);
      record.clear();
      field.clear();
      quoted = false;
      ++i;
    } else {
      if (quoted || c == '"' || c == '\n' || c == '\r') *wellFormed = false;
      field += c;
    }
  }
  if (!field.empty() || !record.empty() || inQuotes) *wellFormed = false;
  return records;
}

std::string FromHex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

using TwinscanExports = testing::TwinscanCliFolder;

TEST_F(TwinscanExports, TheKeepRuleIsAListAndABadOneIsAClearError) {
  Write("a.jpg", "bytes of a");
  Write("a (1).jpg", "bytes of a");
  const ProgramRun listed = Cli({"--groups", "--keep", "folder:" + S + "/,name", S});
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_EQ(listed.lines, std::vector<std::string>{"a.jpg\ta (1).jpg"});
  struct Bad {
    std::string rule, said;
  } const bad[] = {
      {"newest", "残す規則に知らない語があります: \"newest\""},
      {"size,largest", "残す規則で \"largest\" が2回あります"},
      {"original,reference", "残す規則の \"reference\" は先頭に置くか省いてください"},
      {"", "残す規則が空です"},
  };
  for (const Bad& b : bad) {
    const ProgramRun r = Cli({"--keep", b.rule, S});
    EXPECT_EQ(r.status, 2) << b.rule;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.starts_with("twinscan-cli: " + b.said)) << r.err;
  }
  EXPECT_EQ(Cli({"--json", "--csv", S}).status, 2);
}

// --similar ends the kept file's line with why it stays; the other columns
// are as they were.
TEST_F(TwinscanExports, TheSimilarListingSaysWhyEachKeptFileStays) {
  if (!Drawing()) GTEST_SKIP() << "no thumbnail library built";
  const testing::Scene one(81);
  ASSERT_TRUE(testing::WriteJpegRgb(P("view.jpg"), one.Render(320, 240), 90));
  ASSERT_TRUE(testing::WriteJpegRgb(P("view small.jpg"), one.Render(160, 120), 80));
  Write("n.txt", "same");
  Write("n (1).txt", "same");
  const ProgramRun r = Cli({"--similar", "--lang", "en", S});
  EXPECT_EQ(r.status, 0) << r.err;
  std::map<std::string, std::vector<std::string>> byName;
  for (const std::string& line : r.lines) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (std::size_t tab; (tab = line.find('\t', at)) != std::string::npos; at = tab + 1)
      fields.push_back(line.substr(at, tab - at));
    fields.push_back(line.substr(at));
    ASSERT_EQ(fields.size(), 9u) << line;
    byName[fields[2]] = fields;
  }
  ASSERT_EQ(byName.size(), 4u) << r.out;
  EXPECT_EQ(byName["view.jpg"][1], "keep");
  EXPECT_EQ(byName["view.jpg"][4], "320x240");
  EXPECT_EQ(byName["view.jpg"][8], "more pixels 320x240 > 160x120");
  EXPECT_EQ(byName["view small.jpg"][8], "");
  EXPECT_EQ(byName["n.txt"][8], "no copy marker");
  // In the locale's Japanese without --lang.
  const ProgramRun ja = Cli({"--similar", S});
  EXPECT_NE(ja.out.find("\tコピーの印なし\n"), std::string::npos) << ja.out;
}

// The JSON export parses back with every member's facts and each group's
// reason; a name that is not UTF-8 comes back exactly from its hex field;
// an extraction adds what it moved and says it on standard error.
TEST_F(TwinscanExports, JsonReadsBackWithEveryNameExact) {
  const std::string odd = "odd \xff\xfe name.jpg";  // not UTF-8
  Write(odd, "odd bytes");
  Write("plain.jpg", "odd bytes");
  Write("x \"quoted\", comma.jpg", "x bytes");
  Write("x.jpg", "x bytes");
  OneTime();
  const ProgramRun r = Cli({"--json", "--lang", "en", S});
  ASSERT_EQ(r.status, 0) << r.err;
  const json doc = json::parse(r.out);
  EXPECT_EQ(doc["folders"], json::array({{{"path", S}}}));
  EXPECT_EQ(doc["references"], json::array());
  EXPECT_EQ(doc["keep_rule"], "reference,companions,original,camera,pixels,size,format,date,name");
  ASSERT_EQ(doc["groups"].size(), 2u) << r.out;
  std::map<std::string, json> members;  // by exact name
  for (const json& g : doc["groups"]) {
    ASSERT_EQ(g["members"].size(), 2u);
    EXPECT_EQ(g["members"][0]["role"], "keep");
    EXPECT_EQ(g["members"][1]["role"], "copy");
    EXPECT_TRUE(g["why_kept"].contains("criterion"));
    EXPECT_TRUE(g["why_kept"]["text"].is_string());
    for (const json& m : g["members"]) {
      const std::string name = m.contains("name_hex") ? FromHex(m["name_hex"]) : m["name"].get<std::string>();
      const std::string path = m.contains("path_hex") ? FromHex(m["path_hex"]) : m["path"].get<std::string>();
      EXPECT_EQ(path, S + "/" + name);
      for (const char* key : {"size", "width", "height", "format", "date_taken", "identical", "distance",
                              "correlation", "common_area_percent", "companions"})
        EXPECT_TRUE(m.contains(key)) << key;
      members[name] = m;
    }
  }
  ASSERT_TRUE(members.count(odd));
  EXPECT_EQ(members[odd]["name"], "odd \xEF\xBF\xBD\xEF\xBF\xBD name.jpg");
  EXPECT_EQ(members[odd]["size"], 9);
  EXPECT_EQ(members[odd]["role"], "copy") << "the shorter name stays";
  EXPECT_FALSE(members["plain.jpg"].contains("name_hex"));
  EXPECT_EQ(members["x.jpg"]["role"], "keep");
  for (const json& g : doc["groups"])
    if (g["members"][0]["name"] == "x.jpg") {
      EXPECT_EQ(g["why_kept"]["criterion"], "name");
      EXPECT_EQ(g["why_kept"]["text"], "shorter name 5 < 21 bytes");
      EXPECT_EQ(g["why_kept"]["compared"], json::array({5, 21}));
    }

  const ProgramRun moved = Cli({"--json", "--extract", "--lang", "en", S});
  ASSERT_EQ(moved.status, 0) << moved.err;
  const json x = json::parse(moved.out)["extraction"];
  EXPECT_EQ(x["moved_files"], 2);
  EXPECT_EQ(x["moved_bytes"], 9 + 7);
  EXPECT_EQ(x["files"].size(), 2u);
  EXPECT_NE(moved.err.find("Created the folder [same"), std::string::npos) << moved.err;
  EXPECT_NE(moved.err.find("] and extracted into it: 2 files, 16 bytes\n"), std::string::npos) << moved.err;
  EXPECT_EQ(Cli({"--undo", S}).status, 0);
  const ProgramRun quiet = Cli({"--extract", "--quiet", S});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.err, "");
  EXPECT_NE(quiet.out.find("moved\t2\n"), std::string::npos) << quiet.out;
}

// The CSV export: RFC 4180 quoting, read back field for field; names as
// their bytes; pictures with their facts.
TEST_F(TwinscanExports, CsvReadsBackFieldForField) {
  const std::string odd = "odd \xff name,\"1\".jpg";
  Write(odd, "the same");
  Write("line\nfeed.jpg", "the same");
  Write("p.jpg", "the same");
  if (Drawing()) {
    ASSERT_TRUE(testing::WriteJpegRgb(P("cam.jpg"), testing::Scene(91).Render(320, 240), 90));
    ASSERT_TRUE(testing::AddCameraExif(P("cam.jpg"), "Canon", "EOS R", "2022:02:02 02:02:02"));
    std::filesystem::copy_file(P("cam.jpg"), P("cam (1).jpg"));
  }
  OneTime();
  const ProgramRun r = Cli({"--csv", "--lang", "en", S});
  ASSERT_EQ(r.status, 0) << r.err;
  bool wellFormed = false;
  const auto records = ReadCsv(r.out, &wellFormed);
  EXPECT_TRUE(wellFormed) << r.out;
  ASSERT_GE(records.size(), 4u);
  const std::vector<std::string> header{"group", "role", "path", "name", "size", "width", "height", "format",
                                        "date_taken", "identical", "distance", "correlation",
                                        "common_area_percent", "why_criterion", "why_kept"};
  EXPECT_EQ(records[0], header);
  std::map<std::string, std::vector<std::string>> byName;
  for (std::size_t i = 1; i < records.size(); ++i) {
    ASSERT_EQ(records[i].size(), header.size());
    byName[records[i][3]] = records[i];
    EXPECT_EQ(records[i][2], S + "/" + records[i][3]);
  }
  ASSERT_TRUE(byName.count(odd)) << r.out;
  ASSERT_TRUE(byName.count("line\nfeed.jpg"));
  EXPECT_EQ(byName["p.jpg"][1], "keep");
  EXPECT_EQ(byName["p.jpg"][13], "name");
  EXPECT_EQ(byName[odd][1], "copy");
  EXPECT_EQ(byName[odd][4], "8");
  if (Drawing()) {
    EXPECT_EQ(byName["cam.jpg"][1], "keep");
    EXPECT_EQ(byName["cam.jpg"][5], "320");
    EXPECT_EQ(byName["cam.jpg"][6], "240");
    EXPECT_EQ(byName["cam.jpg"][7], "jpeg");
    EXPECT_EQ(byName["cam.jpg"][8], "2022-02-02T02:02:02");
    EXPECT_EQ(byName["cam.jpg"][14], "no copy marker");
  }
}

// What a terminal shows on standard error: the step and its count, written
// over; --quiet and a standard error that is no terminal show nothing.
struct PtyRun {
  int status = -1;
  std::string out, terminal;
};

PtyRun RunOnTerminal(const TempDir& scratch, std::vector<std::string> args) {
  PtyRun run;
  int master = -1, slave = -1;
  if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return run;
  const std::string out = scratch.path() + "/pty-out.txt";
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&fa, slave, 2);
  posix_spawn_file_actions_addclose(&fa, master);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid;
  const bool started = posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&fa);
  ::close(slave);
  if (started) {
    char buf[4096];
    for (;;) {
      pollfd p{master, POLLIN, 0};
      if (::poll(&p, 1, 20000) <= 0) break;
      const ssize_t n = ::read(master, buf, sizeof buf);
      if (n <= 0) break;  // EIO once the program has ended
      run.terminal.append(buf, static_cast<std::size_t>(n));
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  }
  ::close(master);
  run.out = testing::ReadWhole(out);
  return run;
}

TEST_F(TwinscanExports, AProgressLineOnATerminalOnly) {
  for (int i = 0; i < 40; ++i) Write("f" + std::to_string(i) + ".dat", "file " + std::to_string(i % 20));
  const std::string cli = std::string(PICTRAY_BIN_DIR) + "/twinscan-cli";
  const PtyRun shown = RunOnTerminal(d, {cli, "--extract", S});
  EXPECT_EQ(shown.status, 0);
  for (const char* step : {"一覧作成 40/40", "比較・組分け", "抽出 "})
    EXPECT_NE(shown.terminal.find(step), std::string::npos) << step << "\n" << shown.terminal;
  EXPECT_NE(shown.terminal.find("\r\x1b[K"), std::string::npos);
  EXPECT_NE(shown.terminal.find("フォルダを作成して抽出: 20件、"), std::string::npos) << shown.terminal;
  // The line is wiped before the result is printed: standard output holds no trace of it.
  EXPECT_EQ(shown.out.find('\r'), std::string::npos);
  EXPECT_NE(shown.out.find("moved\t20\n"), std::string::npos);
  EXPECT_EQ(Cli({"--undo", S}).status, 0);

  const PtyRun quiet = RunOnTerminal(d, {cli, "--quiet", "--extract", S});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.terminal, "");
  EXPECT_EQ(Cli({"--undo", S}).status, 0);
  const ProgramRun file = Cli({S});
  EXPECT_EQ(file.err, "");
}

}  // namespace
}  // namespace pictray
