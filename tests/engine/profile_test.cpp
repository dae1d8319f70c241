#include "engine/settings/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/temp_dir.h"

namespace pictray {
namespace {

TEST(Profile, MissingFileSectionOrKeyGivesFallback) {
  testing::TempDir dir;
  std::string f = dir.path() + "/a.ini";
  EXPECT_EQ(GetProfileString(pictray::fs::DefaultEnv(), "S", "k", "fb", 0, f), "fb");
  ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "S", "k", "v", f));
  EXPECT_EQ(GetProfileString(pictray::fs::DefaultEnv(), "T", "k", "fb", 0, f), "fb");
  EXPECT_EQ(GetProfileString(pictray::fs::DefaultEnv(), "S", "other", "fb", 0, f), "fb");
}

TEST(Profile, FirstWriteCreatesFileAndLaterWritesKeepOrder) {
  testing::TempDir dir;
  std::string f = dir.path() + "/a.ini";
  ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "WPath", "/x", f));
  ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "ExifSel", "1", f));
  ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "Section1", "app", "open", f));
  ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "Px", "50", f));
  ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "Section0", "WPath", "/y", f));
  EXPECT_EQ(testing::ReadWhole(f), "[Section0]\nWPath=/y\nExifSel=1\nPx=50\n[Section1]\napp=open\n");
}

TEST(Profile, SectionsAndKeysIgnoreCaseValuesAreTrimmedAndUnquoted) {
  testing::TempDir dir;
  std::string f = dir.path() + "/a.ini";
  std::ofstream(f) << "; comment\r\n[section0]\r\n  KEY =  spaced value  \r\nq=\"quoted \"\r\n"
                      "dup=first\r\ndup=second\r\n[Other]\r\nkey=other\r\n";
  EXPECT_EQ(GetProfileString(pictray::fs::DefaultEnv(), "SECTION0", "key", "", 0, f), "spaced value");
  EXPECT_EQ(GetProfileString(pictray::fs::DefaultEnv(), "Section0", "Q", "", 0, f), "quoted ");
  EXPECT_EQ(GetProfileString(pictray::fs::DefaultEnv(), "Section0", "dup", "", 0, f), "first");
  EXPECT_EQ(GetProfileString(pictray::fs::DefaultEnv(), "other", "key", "", 0, f), "other");
  // A write keeps the stored spelling of the key and the rest of the file.
  ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "SECTION0", "key", "new", f));
  EXPECT_EQ(GetProfileString(pictray::fs::DefaultEnv(), "Section0", "key", "", 0, f), "new");
  EXPECT_EQ(GetProfileString(pictray::fs::DefaultEnv(), "other", "key", "", 0, f), "other");
  EXPECT_NE(testing::ReadWhole(f).find("KEY=new"), std::string::npos);
}

TEST(Profile, WidthCutsValueAndFallbackWithoutSplittingCharacters) {
  testing::TempDir dir;
  std::string f = dir.path() + "/a.ini";
  ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "S", "n", "12345", f));
  EXPECT_EQ(GetProfileString(pictray::fs::DefaultEnv(), "S", "n", "", 3, f), "12");
  EXPECT_EQ(GetProfileString(pictray::fs::DefaultEnv(), "S", "missing", "abcdef", 4, f), "abc");
  // "日本" is 6 bytes; width 5 leaves room for 4 bytes: only the first character fits.
  ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "S", "j", "日本", f));
  EXPECT_EQ(GetProfileString(pictray::fs::DefaultEnv(), "S", "j", "", 5, f), "日");
}

TEST(Profile, NumbersReadDecimallyAndUnreadableCountsZero) {
  EXPECT_EQ(ProfileNumber("42"), 42);
  EXPECT_EQ(ProfileNumber(" -7x"), -7);
  EXPECT_EQ(ProfileNumber("abc"), 0);
  EXPECT_EQ(ProfileNumber(""), 0);
}

TEST(Profile, UnwritableFileReportsFailure) {
  EXPECT_FALSE(WriteProfileString(pictray::fs::DefaultEnv(), "S", "k", "v", "/nonexistent-dir/x/a.ini"));
}

TEST(Profile, FileThatCannotBeReadIsNeverReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads everything";
  testing::TempDir dir;
  std::string f = dir.path() + "/a.ini";
  std::ofstream(f) << "[S]\nkeep=1\n";
  std::filesystem::permissions(f, std::filesystem::perms::owner_write);
  EXPECT_EQ(GetProfileString(pictray::fs::DefaultEnv(), "S", "keep", "fb", 0, f), "fb");
  EXPECT_FALSE(WriteProfileString(pictray::fs::DefaultEnv(), "S", "k", "v", f));
  std::filesystem::permissions(f, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(testing::ReadWhole(f), "[S]\nkeep=1\n");
}

// A settings file over the limit, or a FIFO (whose open would wait for a
// writer), reads as missing and is never written over.
TEST(Profile, OnlyRegularFilesWithinTheLimitAreReadOrWritten) {
  testing::TempDir dir;
  const std::string big = dir.path() + "/big.ini", fifo = dir.path() + "/fifo.ini";
  const std::string bigText = "[S]\nkeep=1\n" + std::string(kMaxProfileBytes, ';');
  std::ofstream(big) << bigText;
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string file;
    ProfileRead read;
  } cases[] = {{big, ProfileRead::TooLarge}, {fifo, ProfileRead::Unreadable}};
  for (const auto& c : cases) {
    EXPECT_EQ(ProfileSnapshot::Read(pictray::fs::DefaultEnv(), c.file).outcome(), c.read) << c.file;
    EXPECT_EQ(GetProfileString(pictray::fs::DefaultEnv(), "S", "keep", "fb", 0, c.file), "fb") << c.file;
    EXPECT_FALSE(WriteProfileString(pictray::fs::DefaultEnv(), "S", "k", "v", c.file)) << c.file;
  }
  EXPECT_EQ(testing::ReadWhole(big), bigText);
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST(Profile, WriteGoesThroughALinkAndKeepsPermissions) {
  testing::TempDir dir;
  std::string real = dir.path() + "/real.ini", link = dir.path() + "/a.ini";
  std::ofstream(real) << "[S]\nk=old\n";
  std::filesystem::permissions(real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  std::filesystem::create_symlink(real, link);
  ASSERT_TRUE(WriteProfileString(pictray::fs::DefaultEnv(), "S", "k", "new", link));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(testing::ReadWhole(real), "[S]\nk=new\n");
  EXPECT_EQ(std::filesystem::status(real).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

// Two programs writing one settings file at once keep every key: each
// read-modify-write waits for the other's to end.
TEST(Profile, WritersInTwoProcessesLoseNoKey) {
  testing::TempDir dir;
  const std::string f = dir.path() + "/shared.ini";
  constexpr int kKeys = 200;
  auto writeKeys = [&](const char* prefix) {
    bool ok = true;
    for (int i = 0; i < kKeys; ++i)
      ok = WriteProfileString(pictray::fs::DefaultEnv(), "Section0", prefix + std::to_string(i), std::to_string(i), f) && ok;
    return ok;
  };
  const pid_t child = ::fork();
  if (child == 0) ::_exit(writeKeys("child") ? 0 : 1);
  EXPECT_TRUE(writeKeys("parent"));
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  int missing = 0;
  for (const char* prefix : {"parent", "child"})
    for (int i = 0; i < kKeys; ++i)
      missing += GetProfileString(pictray::fs::DefaultEnv(), "Section0", prefix + std::to_string(i), "", 0, f).empty();
  EXPECT_EQ(missing, 0);
  // Nothing is left beside the settings but the settings.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace pictray
