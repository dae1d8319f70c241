#include <sys/mman.h>
#include <unistd.h>

#include <libheif/heif.h>

#include <gtest/gtest.h>

#include "engine/meta/heif_items.h"
#include "engine/meta/media_label.h"
#include "tests/support/temp_dir.h"

namespace pictray::meta {
namespace {

const std::string kDir = std::string(PICTRAY_TEST_DATA) + "/meta/";

// Read from a file in memory.
std::optional<HeifItems> ItemsOf(const std::string& bytes) {
  const int fd = ::memfd_create("heif", MFD_CLOEXEC);
  if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) ADD_FAILURE();
  std::optional<HeifItems> items = ReadHeifItems(fs::ReadOnlyFile(fs::DefaultEnv(), fs::BorrowedFd{fd}));
  ::close(fd);
  return items;
}

// What libheif makes of the file, in the item reader's terms; nothing when
// it refuses the file.
std::optional<HeifItems> LibheifItemsOf(const std::string& bytes) {
  heif_context* ctx = heif_context_alloc();
  heif_image_handle* h = nullptr;
  std::optional<HeifItems> out;
  if (heif_context_read_from_memory_without_copy(ctx, bytes.data(), bytes.size(), nullptr).code == heif_error_Ok &&
      heif_context_get_primary_image_handle(ctx, &h).code == heif_error_Ok) {
    out.emplace();
    out->width = heif_image_handle_get_ispe_width(h);
    out->height = heif_image_handle_get_ispe_height(h);
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(h, "Exif", &id, 1) == 1) {
      out->exif.emplace(heif_image_handle_get_metadata_size(h, id), '\0');
      if (heif_image_handle_get_metadata(h, id, out->exif->data()).code != heif_error_Ok) out.reset();
    }
    heif_image_handle_release(h);
  }
  heif_context_free(ctx);
  return out;
}

// Cut short anywhere before its picture's data, a HEIF file is read by the
// item reader only where libheif reads it too; with a byte changed, they
// may part over what libheif checks beyond the labels' boxes, never over a
// size or an Exif block.
TEST(HeifItems, AgreeWithLibheif) {
  heif_init(nullptr);
  for (const char* name : {"heic_full.heic", "heic_nodate.heic", "heic_noexif.heic"}) {
    const std::string whole = testing::ReadWhole(kDir + name);
    ASSERT_TRUE(ItemsOf(whole)) << name << " is read without libheif";
    const std::size_t data = whole.find("mdat") + 12;
    std::vector<std::pair<std::string, bool>> variants;  // bytes, cut
    for (std::size_t n = 0; n < data; ++n) variants.emplace_back(whole.substr(0, n), true);
    for (std::size_t at = 0; at < data; ++at)
      for (const char flip : {'\x01', '\xFF'}) variants.emplace_back(whole, false).first.at(at) ^= flip;
    for (std::size_t i = 0; i < variants.size(); ++i) {
      const auto& [bytes, cut] = variants[i];
      const std::optional<HeifItems> ours = ItemsOf(bytes);
      const std::optional<HeifItems> theirs = LibheifItemsOf(bytes);
      if (!ours || (!theirs && !cut)) continue;
      ASSERT_TRUE(theirs) << name << " cut to " << bytes.size();
      EXPECT_EQ(std::tie(ours->width, ours->height, ours->exif), std::tie(theirs->width, theirs->height, theirs->exif))
          << name << " variant " << i;
    }
  }
}

std::string Be(std::uint64_t v, int bytes) {
  std::string out;
  while (bytes-- > 0) out += static_cast<char>(bytes < 8 ? v >> (8 * bytes) & 0xFF : 0);
  return out;
}
std::string Box(const std::string& type, const std::string& body) { return Be(8 + body.size(), 4) + type + body; }
std::string FullBox(const std::string& type, int version, const std::string& body) {
  return Box(type, Be(version, 1) + Be(0, 3) + body);
}

// A HEIF file of one picture (item 1: an empty "hvcC", a 40x30 "ispe",
// then `more` properties) and its Exif item (item 2) in "idat" or "mdat".
std::string Heif(const std::string& more, bool exifInIdat) {
  const std::string exif = Be(0, 4) + "MM" + Be(42, 2) + Be(8, 4) + Be(0, 2);
  const std::string picture(16, 'p');
  const auto meta = [&](std::uint64_t mdat) {
    const auto place = [](int id, int method, std::uint64_t offset, std::uint64_t length) {
      return Be(id, 2) + Be(method, 2) + Be(0, 2) + Be(1, 2) + Be(offset, 4) + Be(length, 4);
    };
    const std::string properties = Box("hvcC", Be(1, 1) + Be(0, 22)) + FullBox("ispe", 0, Be(40, 4) + Be(30, 4)) + more;
    return FullBox("meta", 0,
                   FullBox("hdlr", 0, Be(0, 4) + "pict" + Be(0, 13)) + FullBox("pitm", 0, Be(1, 2)) +
                       FullBox("iinf", 0, Be(2, 2) + FullBox("infe", 2, Be(1, 2) + Be(0, 2) + "hvc1" + '\0') +
                                               FullBox("infe", 2, Be(2, 2) + Be(0, 2) + "Exif" + '\0')) +
                       FullBox("iloc", 1, Be(0x4400, 2) + Be(2, 2) + place(1, 0, mdat, picture.size()) +
                                              (exifInIdat ? place(2, 1, 0, exif.size())
                                                          : place(2, 0, mdat + picture.size(), exif.size()))) +
                       FullBox("iref", 0, Box("cdsc", Be(2, 2) + Be(1, 2) + Be(1, 2))) +
                       Box("iprp", Box("ipco", properties) +
                                       FullBox("ipma", 0, Be(1, 4) + Be(1, 2) + Be(more.empty() ? 2 : 3, 1) + "\x81\x02" +
                                                              (more.empty() ? "" : "\x03"))) +
                       (exifInIdat ? Box("idat", exif) : ""));
  };
  const std::string ftyp = Box("ftyp", "heic" + Be(0, 4) + "mif1heic");
  const std::uint64_t mdat = ftyp.size() + meta(0).size() + 8;
  return ftyp + meta(mdat) + Box("mdat", picture + (exifInIdat ? "" : exif));
}

// What the item reader follows itself, it reads as libheif does; a crop
// it leaves to libheif. The size is the coded one, whatever the turn.
TEST(HeifItems, TurnsAndPlacesAsLibheif) {
  heif_init(nullptr);
  const struct {
    const char* what;
    std::string more;
    bool exifInIdat, read;
  } cases[] = {
      {"plain", "", false, true},
      {"Exif in idat", "", true, true},
      {"a quarter turn", Box("irot", Be(1, 1)), false, true},
      {"a half turn", Box("irot", Be(2, 1)), true, true},
      {"a crop", Box("clap", Be(20, 4) + Be(1, 4) + Be(10, 4) + Be(1, 4) + Be(0, 4) + Be(1, 4) + Be(0, 4) + Be(1, 4)), false, false},
  };
  const testing::TempDir dir;
  for (const auto& c : cases) {
    const std::string bytes = Heif(c.more, c.exifInIdat);
    const std::optional<HeifItems> ours = ItemsOf(bytes), theirs = LibheifItemsOf(bytes);
    ASSERT_EQ(ours.has_value(), c.read) << c.what;
    ASSERT_TRUE(theirs) << c.what;
    const std::string path = dir.Write("turned.heic", bytes);
    EXPECT_EQ(MediaSizeLabel(ReadMediaInfo(fs::ReadOnlyFile(fs::DefaultEnv(), path), path)), "40X30") << c.what;
    if (ours) {
      EXPECT_EQ(std::tie(ours->width, ours->height, ours->exif), std::tie(theirs->width, theirs->height, theirs->exif))
          << c.what;
    }
  }
}

}  // namespace
}  // namespace pictray::meta
