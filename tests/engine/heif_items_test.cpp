#include <sys/mman.h>
#include <unistd.h>

#include <libheif/heif.h>

#include <gtest/gtest.h>

#include "engine/meta/heif_items.h"
#include "tests/support/temp_dir.h"

namespace pictray::meta {
namespace {

const std::string kDir = std::string(PICTRAY_TEST_DATA) + "/meta/";

// Read from a file in memory.
std::optional<HeifItems> ItemsOf(const std::string& bytes) {
  const int fd = ::memfd_create("heif", MFD_CLOEXEC);
  if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) ADD_FAILURE();
  std::optional<HeifItems> items = ReadHeifItems(fs::DefaultEnv(), fd);
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
    out->width = heif_image_handle_get_width(h);
    out->height = heif_image_handle_get_height(h);
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

}  // namespace
}  // namespace pictray::meta
