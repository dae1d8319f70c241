#include <gtest/gtest.h>

#include "engine/names/folda_name.h"
#include "engine/names/match_pat_name.h"

namespace pictray {
namespace {

struct PatternCase {
  const char* pattern;
  const char* name;
  const char* result;
};

TEST(MatchPatName, ExamplesTable) {
  const PatternCase cases[] = {
      {"IMG_%%##", "IMG_1234.jpg", "IIMMGG_12##"},
      {"???abc##.jpg", "x1_abc07.jpg", "x1_abc##.jpg"},
      {"a*", "aB.png", "aBB"},
      {"a$", "aB.png", "a$"},
      {"a#", "ab", ""},
  };
  for (const PatternCase& c : cases)
    EXPECT_EQ(MatchPatName(c.name, c.pattern), c.result) << c.pattern << " / " << c.name;
}

TEST(MatchPatName, ClassesRejectTheOtherKind) {
  EXPECT_EQ(MatchPatName("a", "#"), "");
  EXPECT_EQ(MatchPatName("a", "%"), "");
  EXPECT_EQ(MatchPatName("1", "$"), "");
  EXPECT_EQ(MatchPatName("1", "*"), "");
  EXPECT_EQ(MatchPatName("_", "*"), "");
  EXPECT_EQ(MatchPatName("1", "#"), "#");
  EXPECT_EQ(MatchPatName("z", "$"), "$");
  // Only ASCII counts: a byte of a multi-byte character is neither.
  EXPECT_EQ(MatchPatName("\xE3\x81\x82", "*"), "");
}

TEST(MatchPatName, PositionalPrefixAndLength) {
  EXPECT_EQ(MatchPatName("abcdef.jpg", "abc"), "abc");  // rest of the name ignored
  EXPECT_EQ(MatchPatName("ab", "abc"), "");             // name shorter than the pattern
  EXPECT_EQ(MatchPatName("xabc", "abc"), "");           // no skipping
  EXPECT_EQ(MatchPatName("anything", ""), "");          // empty pattern: no match
  EXPECT_EQ(MatchPatName("Abc", "abc"), "");            // case-sensitive
}

TEST(MatchPatName, QuestionCopiesAnyByteAndUpperCaseIsDoubled) {
  EXPECT_EQ(MatchPatName("X.y", "???"), "XX.y");
  // A double-byte character counts as its bytes.
  EXPECT_EQ(MatchPatName("\xE3\x81\x82z", "???*"), "\xE3\x81\x82z");
  EXPECT_EQ(MatchPatName("\xE3\x81\x82z", "??*"), "");
}

TEST(GetFoldaName, StrictAndLenientForms) {
  EXPECT_EQ(GetFoldaName("No-Exif 1", 0, ""), "No_Exif_1");
  EXPECT_EQ(GetFoldaName("No-Exif 1", 1, ""), "No-Exif 1");
  EXPECT_EQ(GetFoldaName("No-Exif 1", 1, "-"), "No_Exif 1");
  // Strict: one "_" per byte of a multi-byte character, listed or not.
  EXPECT_EQ(GetFoldaName("a\xE3\x81\x82", 0, ""), "a___");
  EXPECT_EQ(GetFoldaName("a\xE3\x81\x82", 0, "\xE3\x81\x82"), "a___");
  EXPECT_EQ(GetFoldaName("abc", 0, "b"), "a_c");
}

TEST(GetFoldaName, DisabledCharactersAndLineEnd) {
  const std::string defaults = "/:,;*?\"<>|.";
  EXPECT_EQ(GetFoldaName("a/b:c.d?e", 1, defaults), "a_b_c_d_e");
  EXPECT_EQ(GetFoldaName("first\nsecond", 1, ""), "first");
  EXPECT_EQ(GetFoldaName("first\nsecond", 0, ""), "first");
  // A listed multi-byte character becomes one "_" and never matches part
  // of another character that shares its lead byte.
  EXPECT_EQ(GetFoldaName("\xE3\x81\x82\xE3\x81\x84", 1, "\xE3\x81\x82"), "_\xE3\x81\x84");
}

TEST(GetFoldaName, BrokenSequenceDoesNotHideTheNextByte) {
  // A lead byte without its continuation bytes must not swallow a listed "/".
  EXPECT_EQ(GetFoldaName("\xE3/x", 1, "/"), "\xE3_x");
  EXPECT_EQ(GetFoldaName("\xE3", 1, "/"), "\xE3");
}

TEST(GetFoldaName, DisabledCharacterFromAQuestionPosition) {
  EXPECT_EQ(GetFoldaName(MatchPatName("a.b", "???"), 1, "."), "a_b");
}

TEST(FoldaNameHelpers, MojihenkanGetFoldaName2AndSafeNames) {
  EXPECT_EQ(Mojihenkan("RGB"), "RRGGBB");
  EXPECT_EQ(Mojihenkan("aZ9_"), "aZZ9_");
  EXPECT_EQ(GetFoldaName2(" a b  c "), "abc");
  EXPECT_TRUE(IsSafeFolderName("IIMMGG_12##"));
  EXPECT_TRUE(IsSafeFolderName("..."));
  for (const std::string& bad : {std::string(), std::string("."), std::string(".."),
                                std::string("a/b"), std::string("a\0b", 3)})
    EXPECT_FALSE(IsSafeFolderName(bad)) << bad;
}

}  // namespace
}  // namespace pictray
