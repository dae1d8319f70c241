#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "engine/meta/media_label.h"
#include "tests/support/hostile_files.h"
#include "tests/support/temp_dir.h"

namespace pictray::meta {
namespace {

using namespace pictray::testing;

const std::string kDir = std::string(PICTRAY_TEST_DATA) + "/meta/";
constexpr std::uint64_t kSparse = 4ULL << 30;

// The maker's box holding IFD0 with a model, as a camera writes a CR3,
// then the picture.
std::string CameraCr3() {
  const std::string uuid("\x85\xC0\xB6\x87\x82\x0F\x11\xE0\x81\x11\xF4\xCE\x46\x2B\x6A\x48", 16);
  std::string tiff("II*\0\x08\0\0\0\x01\0\x10\x01\x02\0\x0D\0\0\0\x1A\0\0\0\0\0\0\0", 26);
  tiff += std::string("Canon EOS R5\0", 13);
  return Cr3Start() + Box("moov", Box("uuid", uuid + Box("CMT1", tiff))) + Box("mdat", std::string(100, '\0'));
}

std::string Deflated(const std::string& bytes) {
  uLongf size = compressBound(bytes.size());
  std::string out(size, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size());
  out.resize(size);
  return out;
}

// A compressed movie header holding `inside`, claiming `claimed` bytes.
std::string Cmov(const std::string& inside, std::uint32_t claimed) {
  std::string cmvd;
  PutBig(cmvd, claimed, 4);
  return Box("cmov", Box("dcom", "zlib") + Box("cmvd", cmvd + Deflated(inside)));
}

std::string Movie(const std::string& moovBody) {
  return Box("ftyp", std::string("qt  \0\0\0\0qt  ", 12)) + Box("moov", moovBody);
}

const std::string kMovieHeader = Box("mvhd", std::string(100, '\0'));

// A WebP whose header claims `end` bytes, cut after its first chunk.
std::string WebpStart(std::uint32_t end) {
  std::string f = "RIFF";
  PutLittle(f, end - 8, 4);
  return f + "WEBPVP8X" + std::string("\x0A\0\0\0\0\0\0\0\x27\0\0\x1D\0\0", 14);
}

struct HostileCase {
  const char* name;
  std::function<std::string()> bytes;
  std::uint64_t paddedTo;  // 0: as written
  const char* ExifSel;
  const char* label;
};

// Each read in a child: a crash, a hang or a runaway allocation fails its
// row alone. The ordinary rows show the walks let a camera's nesting through.
TEST(MetaHostileFiles, ReadAsDamagedWithinBounds) {
  const std::string keys = ReadWhole(kDir + "mov_keys.mov");
  const std::string keysMoov = keys.substr(20, 967);
  const HostileCase cases[] = {
      {"CRW with heaps 100,000 deep", [] { return DeepCrw(100000); }, 0, "1", "file_error"},
      {"CRW nesting heaps as a camera does", [] { return DeepCrw(3); }, 0, "1", "NoExif"},
      {"CR3 of 100,000 nested boxes", [] { return NestedCr3(100000); }, 0, "1", "file_error"},
      {"CR3 with the maker's Exif box", CameraCr3, 0, "5", "Canon EOS R5(II)"},
      {"MOV whose compressed header claims 1 GiB", [] { return Movie(Cmov(kMovieHeader, 1u << 30)); }, 0, "1",
       "file_error"},
      {"MOV whose compressed header holds one claiming 1 GiB",
       [] {
         const std::string inner = Cmov(kMovieHeader, 1u << 30);
         return Movie(Cmov(inner, static_cast<std::uint32_t>(inner.size())));
       },
       0, "1", "file_error"},
      {"MOV with a compressed header",
       [&] { return keys.substr(0, 20) + Box("moov", Cmov(keysMoov, keysMoov.size())) + keys.substr(987); }, 0, "5",
       "iPhone 15(MM)"},
      {"PNG cut short, a 4 GiB hole after its header", PngStart, kSparse, "1", "file_error"},
      {"WebP cut short, a 4 GiB hole after its header", [] { return WebpStart(0xFFFFFFFE); }, kSparse, "1", "file_error"},
  };
  const TempDir dir;
  for (const HostileCase& c : cases) {
    const std::string path = dir.Write("file", c.bytes());
    if (c.paddedTo) {
      ASSERT_TRUE(PadWithZeros(path, c.paddedTo)) << c.name;
    }
    const std::string failure = InChildProcess([&] {
      const std::string label = MediaExifLabel(ReadMediaInfo(fs::ReadOnlyFile(fs::DefaultEnv(), path), path), c.ExifSel, "/:.", true);
      if (label != c.label) std::fprintf(stderr, "%s: %s\n", c.name, label.c_str());
      return label == c.label;
    });
    EXPECT_EQ(failure, "") << c.name;
  }
}

}  // namespace
}  // namespace pictray::meta
