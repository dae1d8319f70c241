#include "engine/meta/heif_items.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <set>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/fs/read_only_file.h"
#include "engine/marks/file_kind.h"
#include "engine/meta/iso_boxes.h"

namespace pictray::meta {
namespace {

constexpr std::size_t kWindowBytes = 16 << 10;
constexpr std::size_t kMaxMetaBox = 1 << 20;
constexpr std::uint64_t kMaxExifItem = 4 << 20;
constexpr int kMaxTopBoxes = 64;
constexpr std::uint32_t kMaxSide = 32768;  // libheif refuses a side this long

struct Extent {
  std::uint64_t offset = 0, length = 0;
};

struct Property {
  std::uint32_t type = 0;
  Cursor body;
};

// What the "meta" box says of its items.
struct Items {
  std::uint32_t handler = 0;
  std::optional<std::uint32_t> primary;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> types;  // id, type, in the file's order
  std::map<std::uint32_t, std::vector<Extent>> places;         // in the file or in "idat"
  std::map<std::uint32_t, bool> inIdat;
  // Sets: a file may hold many items, and none may cost a pass over all.
  std::set<std::pair<std::uint32_t, std::uint32_t>> describes;  // "cdsc": from, to
  std::set<std::uint32_t> otherwiseReferring;  // from: another kind, or "cdsc" to many
  std::set<std::uint32_t> referenced;          // every item a reference names
  std::set<std::uint32_t> auxiliaries;         // "auxl" from
  std::vector<Property> properties;
  std::map<std::uint32_t, std::vector<std::uint32_t>> associations;  // id, 1-based property indices
  bool hasIinf = false, hasIloc = false, hasIprp = false;
  Cursor idat;
};

bool ReadHandler(Cursor b, Items& items) {
  b.Number(8);  // version, flags, pre_defined
  items.handler = static_cast<std::uint32_t>(b.Number(4));
  return !b.failed();
}

bool ReadPrimary(Cursor b, Items& items) {
  const auto version = b.Number(1);
  b.Number(3);
  items.primary = static_cast<std::uint32_t>(b.Number(version == 0 ? 2 : 4));
  return !b.failed();
}

bool ReadItemInfo(Cursor b, Items& items) {
  const auto version = b.Number(1);
  b.Number(3);
  b.Number(version == 0 ? 2 : 4);  // entry count: the boxes say it
  items.hasIinf = true;
  return ForEachBox(b, [&items](std::uint32_t type, Cursor e) {
    if (type != FourCC("infe")) return true;
    const auto version = e.Number(1);
    if (version < 2) return false;
    e.Number(3);
    const auto id = static_cast<std::uint32_t>(e.Number(version == 2 ? 2 : 4));
    e.Number(2);  // protection index
    items.types.emplace_back(id, static_cast<std::uint32_t>(e.Number(4)));
    return !e.failed();
  });
}

bool ReadLocations(Cursor b, Items& items) {
  const auto version = b.Number(1);
  b.Number(3);
  if (version > 2) return false;
  const auto sizes = b.Number(2);
  const std::size_t offsetSize = sizes >> 12, lengthSize = sizes >> 8 & 15, baseSize = sizes >> 4 & 15;
  const std::size_t indexSize = version == 0 ? 0 : sizes & 15;
  const auto count = b.Number(version < 2 ? 2 : 4);
  items.hasIloc = true;
  for (std::uint64_t i = 0; i < count && !b.failed(); ++i) {
    const auto id = static_cast<std::uint32_t>(b.Number(version < 2 ? 2 : 4));
    const auto method = version == 0 ? 0 : b.Number(2) & 15;
    const auto reference = b.Number(2);
    const auto base = b.Number(baseSize);
    const auto extents = b.Number(2);
    if (method > 1 || reference != 0) return false;
    std::vector<Extent>& place = items.places[id];
    items.inIdat[id] = method == 1;
    for (std::uint64_t e = 0; e < extents && !b.failed(); ++e) {
      b.Number(indexSize);
      Extent x{base + b.Number(offsetSize), b.Number(lengthSize)};
      if (x.length == 0 || x.offset < base) return false;  // "to the end" and wrapped offsets
      place.push_back(x);
    }
  }
  return !b.failed();
}

bool ReadReferences(Cursor b, Items& items) {
  const auto version = b.Number(1);
  b.Number(3);
  const std::size_t idSize = version == 0 ? 2 : 4;
  return ForEachBox(b, [&](std::uint32_t type, Cursor r) {
    const auto from = static_cast<std::uint32_t>(r.Number(idSize));
    const auto count = r.Number(2);
    for (std::uint64_t i = 0; i < count && !r.failed(); ++i) {
      const auto to = static_cast<std::uint32_t>(r.Number(idSize));
      if (type == FourCC("cdsc")) items.describes.emplace(from, to);
      items.referenced.insert(to);
    }
    items.referenced.insert(from);
    if (type != FourCC("cdsc") || count != 1) items.otherwiseReferring.insert(from);
    if (type == FourCC("auxl")) items.auxiliaries.insert(from);
    return !r.failed() && r.left() == 0;  // libheif reads the next reference where the ids end
  });
}

bool ReadAssociations(Cursor b, Items& items) {
  const auto version = b.Number(1);
  const bool wide = (b.Number(3) & 1) != 0;
  const auto count = b.Number(4);
  for (std::uint64_t i = 0; i < count && !b.failed(); ++i) {
    std::vector<std::uint32_t>& indices = items.associations[static_cast<std::uint32_t>(b.Number(version < 1 ? 2 : 4))];
    const auto n = b.Number(1);
    for (std::uint64_t a = 0; a < n && !b.failed(); ++a)
      indices.push_back(static_cast<std::uint32_t>(wide ? b.Number(2) & 0x7fff : b.Number(1) & 0x7f));
  }
  return !b.failed();
}

bool ReadItemProperties(Cursor b, Items& items) {
  items.hasIprp = true;
  return ForEachBox(b, [&items](std::uint32_t type, Cursor body) {
    if (type == FourCC("ipco"))
      return ForEachBox(body, [&items](std::uint32_t t, Cursor p) {
        items.properties.push_back({t, p});
        return true;
      });
    return type != FourCC("ipma") || ReadAssociations(body, items);
  });
}

bool ReadMeta(Cursor meta, Items& items) {
  meta.Number(4);  // version, flags
  return !meta.failed() && ForEachBox(meta, [&items](std::uint32_t type, Cursor body) {
    switch (type) {
      case FourCC("hdlr"): return ReadHandler(body, items);
      case FourCC("pitm"): return ReadPrimary(body, items);
      case FourCC("iinf"): return ReadItemInfo(body, items);
      case FourCC("iloc"): return ReadLocations(body, items);
      case FourCC("iref"): return ReadReferences(body, items);
      case FourCC("iprp"): return ReadItemProperties(body, items);
      case FourCC("idat"): items.idat = body; return true;
      default: return true;
    }
  });
}

bool IsImage(std::uint32_t type) {
  static constexpr std::uint32_t kImages[] = {FourCC("hvc1"), FourCC("av01"), FourCC("grid"),
                                              FourCC("iden"), FourCC("iovl"), FourCC("jpeg")};
  return std::find(std::begin(kImages), std::end(kImages), type) != std::end(kImages);
}

// The properties of an item, in its order; nothing when an index points
// nowhere or an image has none (libheif refuses such a file).
std::optional<std::vector<Property>> PropertiesOf(const Items& items, std::uint32_t id) {
  const auto it = items.associations.find(id);
  if (it == items.associations.end()) return std::nullopt;
  std::vector<Property> out;
  for (const std::uint32_t index : it->second) {
    if (index == 0) continue;
    if (index > items.properties.size()) return std::nullopt;
    out.push_back(items.properties[index - 1]);
  }
  return out;
}

// Every image libheif would take in has its properties, its coding's
// configuration, none is too large for it and every auxiliary picture says
// what it is.
bool ImagesAsLibheifTakesThem(const Items& items) {
  for (const auto& [id, type] : items.types) {
    if (!IsImage(type)) continue;
    const auto properties = PropertiesOf(items, id);
    if (!properties) return false;
    bool typed = false, configured = type != FourCC("hvc1") && type != FourCC("av01");
    for (Property p : *properties) {
      if (p.type == FourCC("auxC")) typed = true;
      if (p.type == FourCC(type == FourCC("hvc1") ? "hvcC" : "av1C")) configured = true;
      if (p.type != FourCC("ispe")) continue;
      p.body.Number(4);
      if (p.body.Number(4) >= kMaxSide || p.body.Number(4) >= kMaxSide) return false;
    }
    if (!configured || (!typed && items.auxiliaries.count(id) > 0)) return false;
  }
  return true;
}

// The coded size of the primary picture, its "ispe" (as a JPEG's size
// ignores its orientation); nothing for a crop, which this reader leaves
// to libheif.
std::optional<std::pair<long long, long long>> CodedSize(const std::vector<Property>& properties) {
  std::pair<long long, long long> size{0, 0};
  bool measured = false;
  for (Property p : properties) {
    if (p.type == FourCC("ispe")) {
      p.body.Number(4);
      size.first = static_cast<long long>(p.body.Number(4));
      size.second = static_cast<long long>(p.body.Number(4));
      measured = true;
    } else if (measured && p.type == FourCC("clap")) {
      return std::nullopt;
    }
  }
  return size;
}

// The first Exif item (in the file's order) describing the primary picture.
std::optional<std::uint32_t> ExifOfPrimary(const Items& items) {
  for (const auto& [id, type] : items.types)
    if (type == FourCC("Exif") && items.describes.count({id, *items.primary}) > 0) return id;
  return std::nullopt;
}

// The open file, read where the boxes are: its head (which most often
// holds the "meta" box and the Exif item too) as the file keeps it, beyond
// that a window of kWindowBytes at once, so that a large "meta" box and the
// item after it cost one read more, not one per box.
class File {
 public:
  explicit File(const fs::ReadOnlyFile& file) : file_(file) {}
  std::uint64_t size() const { return file_.size(); }
  // Exactly `n` bytes from `offset`, or nothing.
  std::optional<std::string> Read(std::uint64_t offset, std::uint64_t n) {
    if (offset > size() || n > size() - offset) return std::nullopt;
    std::string out(static_cast<std::size_t>(n), '\0');
    if (offset + n <= fs::ReadOnlyFile::kHeadBytes)
      return file_.ReadAt(offset, out.data(), out.size()) == n ? std::optional(std::move(out)) : std::nullopt;
    if (offset < windowAt_ || offset + n > windowAt_ + window_.size()) {
      window_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(std::max<std::uint64_t>(n, kWindowBytes), size() - offset)));
      windowAt_ = offset;
      if (file_.ReadAt(offset, window_.data(), window_.size()) != window_.size()) {
        window_.clear();
        return std::nullopt;
      }
    }
    out.assign(window_, static_cast<std::size_t>(offset - windowAt_), static_cast<std::size_t>(n));
    return out;
  }

 private:
  const fs::ReadOnlyFile& file_;
  std::string window_;
  std::uint64_t windowAt_ = 0;
};

Cursor Over(const std::string& bytes) {
  return Cursor(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// The "ftyp" and "meta" boxes' bodies, when the top-level boxes fill the
// file exactly.
std::optional<std::pair<std::string, std::string>> TopBoxes(File& file) {
  std::optional<std::string> ftyp, meta;
  std::uint64_t at = 0;
  for (int n = 0; at < file.size(); ++n) {
    const std::optional<std::string> head = file.Read(at, std::min<std::uint64_t>(16, file.size() - at));
    if (n == kMaxTopBoxes || !head || head->size() < 8) return std::nullopt;
    Cursor c = Over(*head);
    const std::optional<BoxHeader> h = ReadBoxHeader(c, file.size() - at);
    if (!h) return std::nullopt;
    if (h->type == FourCC("ftyp") || h->type == FourCC("meta")) {
      std::optional<std::string>& body = h->type == FourCC("ftyp") ? ftyp : meta;
      if (h->size - h->header > kMaxMetaBox || body) return std::nullopt;
      body = file.Read(at + h->header, h->size - h->header);
    }
    at += h->size;
  }
  if (!ftyp || !meta) return std::nullopt;
  return std::pair(std::move(*ftyp), std::move(*meta));
}

// libheif takes a file by its compatible brands alone.
bool BrandsLibheifTakes(const std::string& ftyp) {
  for (std::size_t at = 8; at + 4 <= ftyp.size(); at += 4)  // after the major brand and minor version
    if (marks::LibheifTakesBrand(std::string_view(ftyp).substr(at, 4))) return true;
  return false;
}

// libheif refuses a file whose items lie beyond it, a picture lost to a
// cut included.
bool PlacesWithin(const Items& items, std::uint64_t fileSize) {
  for (const auto& [id, place] : items.places) {
    const std::uint64_t end = items.inIdat.at(id) ? items.idat.left() : fileSize;
    for (const Extent& x : place)
      if (x.offset > end || x.length > end - x.offset) return false;
  }
  return true;
}

std::optional<std::string> ItemBytes(File& file, const Items& items, std::uint32_t id) {
  const auto place = items.places.find(id);
  if (place == items.places.end()) return std::nullopt;
  std::uint64_t total = 0;
  for (const Extent& x : place->second) total += x.length;
  if (total > kMaxExifItem) return std::nullopt;
  std::string out;
  for (const Extent& x : place->second) {
    const std::optional<std::string> part =
        items.inIdat.at(id) ? items.idat.Copy(x.offset, x.length) : file.Read(x.offset, x.length);
    if (!part) return std::nullopt;
    out += *part;
  }
  return out;
}

}  // namespace

std::optional<HeifItems> ReadHeifItems(const fs::ReadOnlyFile& opened) {
  File file(opened);
  const auto top = TopBoxes(file);
  if (!top || !BrandsLibheifTakes(top->first)) return std::nullopt;
  Items items;
  if (!ReadMeta(Over(top->second), items) || items.handler != FourCC("pict") || !items.primary ||
      !items.hasIinf || !items.hasIloc || !items.hasIprp || !ImagesAsLibheifTakesThem(items) ||
      !PlacesWithin(items, file.size()))
    return std::nullopt;
  const auto primary = std::find_if(items.types.begin(), items.types.end(),
                                    [&items](const auto& item) { return item.first == *items.primary; });
  if (primary == items.types.end() || !IsImage(primary->second)) return std::nullopt;
  std::set<std::uint32_t> known;
  for (const auto& item : items.types) known.insert(item.first);
  for (const std::uint32_t id : items.referenced)  // a reference to nothing is libheif's to judge
    if (known.count(id) == 0) return std::nullopt;
  const auto size = CodedSize(*PropertiesOf(items, *items.primary));
  if (!size) return std::nullopt;
  HeifItems out;
  std::tie(out.width, out.height) = *size;
  if (const auto exif = ExifOfPrimary(items)) {
    if (items.otherwiseReferring.count(*exif) > 0) return std::nullopt;
    out.exif = ItemBytes(file, items, *exif);
    if (!out.exif) return std::nullopt;
  }
  return out;
}

}  // namespace pictray::meta
