#include <cerrno>
#include <string>

#include <gtest/gtest.h>

#include "engine/fs/read_only_file.h"
#include "tests/support/fault_env.h"
#include "tests/support/temp_dir.h"

namespace pictray::fs {
namespace {

using testing::Fault;
using testing::FaultEnv;

// Each size's bytes its own, so that a stale head would show.
std::string Bytes(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 251 + n);
  return s;
}

// Whatever the file's size and wherever a read lies (in the kept head,
// across its end, beyond it, past the file's end), ReadAt gives the file's
// own bytes; the reads within the head cost one read of the file, and a
// head read that fails keeps nothing (the next read goes to the file).
TEST(ReadOnlyFile, ReadsFromTheKeptHeadAsFromTheFile) {
  const testing::TempDir dir;
  const std::size_t head = ReadOnlyFile::kHeadBytes;
  for (const std::size_t size : {std::size_t{0}, std::size_t{10}, head - 1, head, head + 1, 3 * head}) {
    const std::string content = Bytes(size);
    const std::string path = dir.Write("f" + std::to_string(size), content);
    for (const long failAt : {3L, 0L}) {  // the third call: the head's read
      const FaultEnv env(Fault::Fail, EIO, failAt);
      const ReadOnlyFile file(env, path);
      ASSERT_TRUE(file.ok());
      for (const std::size_t at : {std::size_t{0}, std::size_t{1}, head - 100, head - 1, head, head + 1, size})
        for (const std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{100}, head, head + 5}) {
          std::string got(n, '\x55');
          const std::size_t want = at >= size ? 0 : std::min(n, size - at);
          ASSERT_EQ(file.ReadAt(at, got.data(), n), want) << size << " at " << at << " n " << n;
          EXPECT_EQ(got.substr(0, want), content.substr(std::min(at, size), want)) << size << " at " << at;
        }
    }
    const FaultEnv counting(Fault::Fail, EIO, 0);
    const ReadOnlyFile file(counting, path);
    const long opened = counting.calls();
    char b[100];
    for (const std::size_t at : {std::size_t{0}, std::size_t{8}, head - 100}) file.ReadAt(at, b, sizeof b);
    EXPECT_EQ(counting.calls() - opened, size > 0 ? 1 : 0) << size;
  }
}

}  // namespace
}  // namespace pictray::fs
