// Files read line by line: the lines are the same however the bytes arrive,
// and a line past the limit is told, never kept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/fs/read_file.h"

namespace pictray {
namespace {

// A line as seen: its bytes, with "#" for a line without its feed and "!"
// for one past the limit.
using Lines = std::vector<std::string>;

Lines Split(std::string_view bytes, std::size_t limit, const std::vector<std::size_t>& cuts) {
  Lines seen;
  const LineSplitter::OnLine take = [&](std::string_view line, LineEnd end) {
    seen.push_back(end == LineEnd::TooLong ? "!" : std::string(line) + (end == LineEnd::FileEnd ? "#" : ""));
    return true;
  };
  LineSplitter splitter(limit);
  std::size_t at = 0;
  for (std::size_t cut : cuts) {
    EXPECT_TRUE(splitter.Feed(bytes.substr(at, cut - at), take));
    at = cut;
  }
  EXPECT_TRUE(splitter.Feed(bytes.substr(at), take));
  EXPECT_TRUE(splitter.Finish(take));
  return seen;
}

TEST(LineSplitter, GivesTheSameLinesWhereverThePiecesBreak) {
  const struct {
    const char* what;
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"empty", "", {}},
      {"lines and an empty one", "ab\n\ncd\n", {"ab", "", "cd"}},
      {"last line without a feed", "ab\ncd", {"ab", "cd#"}},
      {"a carriage return stays", "ab\r\n", {"ab\r"}},
      {"a line at the limit", "abcd\n", {"abcd"}},
      {"a line past the limit", "abcde\nab\n", {"!", "ab"}},
      {"past the limit at the end", "ab\nabcdef", {"ab", "!"}},
      {"a NUL is a byte", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::size_t> everyByte;
    for (std::size_t cut = 0; cut <= c.bytes.size(); ++cut) {
      EXPECT_EQ(Split(c.bytes, 4, {cut}), c.lines) << cut;
      everyByte.push_back(cut);
    }
    EXPECT_EQ(Split(c.bytes, 4, everyByte), c.lines);
  }
}

}  // namespace
}  // namespace pictray
