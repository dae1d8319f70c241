// Helpers of the colour tests: painting surfaces and a stand-in for the
// thumbnail library that paints what a test chose for each file name.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/colour/pixel_window.h"
#include "engine/colour/thumbnail.h"

namespace pictray::testing {

// Paints pixel (column, row) of raw surface memory; row 0 is the first row
// in memory (the bottom of the picture).
inline void Put(std::uint8_t* bits, std::uint32_t edge, std::uint32_t column, std::uint32_t row, Rgb c) {
  std::uint8_t* p = bits + row * SurfaceStride(edge) + column * 3;
  p[0] = std::uint8_t(c.b);
  p[1] = std::uint8_t(c.g);
  p[2] = std::uint8_t(c.r);
}
inline void Put(Surface& s, std::uint32_t column, std::uint32_t row, Rgb c) { Put(s.bits(), s.edge(), column, row, c); }

inline void Fill(std::uint8_t* bits, std::uint32_t edge, Rgb c) {
  for (std::uint32_t y = 0; y < edge; ++y)
    for (std::uint32_t x = 0; x < edge; ++x) Put(bits, edge, x, y, c);
}
inline void Fill(Surface& s, Rgb c) { Fill(s.bits(), s.edge(), c); }

// Paints `count` pixels of colour c in scan order from pixel `from` on.
inline void Paint(std::uint8_t* bits, std::uint32_t edge, std::uint32_t from, std::uint32_t count, Rgb c) {
  for (std::uint32_t i = from; i < from + count; ++i) Put(bits, edge, i % edge, i / edge, c);
}
inline void Paint(Surface& s, std::uint32_t from, std::uint32_t count, Rgb c) { Paint(s.bits(), s.edge(), from, count, c); }

// One call of the thumbnail library.
struct ThumbCall {
  std::string name;  // file name without its folder
  int edge, part, partX;
  std::thread::id thread;
  bool byPath;  // the library would have opened the file itself
};

// The fake MakeMinImage: paints the surface as Painter of the file's name
// says (white with nothing set) and answers its result. Shared by the
// workers of a run, hence the lock.
class FakeThumbs {
 public:
  using Painter = std::function<int(std::uint8_t* bits, int edge, int part)>;

  static FakeThumbs& Get() {
    static FakeThumbs fake;
    return fake;
  }
  static int MakeMinImage(unsigned char* surface, const char* path, int edge, int part, int partX) {
    return Get().Draw(surface, path, edge, part, partX, true);
  }

  // The fake MakeMinImages: each part as MakeMinImage paints it, the call
  // counted once for the file.
  static int MakeMinImages(unsigned char* const* surfaces, const char* path, int edge, const int* parts, int count,
                           int partX, int* results) {
    FakeThumbs& f = Get();
    {
      std::lock_guard<std::mutex> l(f.m_);
      ++f.batches_[std::string(path).substr(std::string(path).rfind('/') + 1)];
    }
    int failed = 0;
    for (int i = 0; i < count; ++i) failed |= results[i] = MakeMinImage(surfaces[i], path, edge, parts[i], partX);
    return failed == 0 ? 0 : 1;
  }

  // The forms within a budget: the budget each call was given is noted,
  // then the parts are painted as above.
  static int MakeMinImageWithin(const BudgetCalls* budget, unsigned char* surface, const char* path, int edge,
                                int part, int partX) {
    Get().Saw(budget);
    return MakeMinImage(surface, path, edge, part, partX);
  }
  static int MakeMinImagesWithin(const BudgetCalls* budget, unsigned char* const* surfaces, const char* path, int edge,
                                 const int* parts, int count, int partX, int* results) {
    Get().Saw(budget);
    return MakeMinImages(surfaces, path, edge, parts, count, partX, results);
  }
  // The form on a descriptor: the file it is open on painted as above;
  // nothing for a descriptor not open.
  static int MakeMinImagesFdWithin(const BudgetCalls* budget, unsigned char* const* surfaces, int fd, int edge,
                                   const int* parts, int count, int partX, int* results) {
    FakeThumbs& f = Get();
    f.Saw(budget);
    const std::string path = PathOf(fd);
    if (path.empty()) {
      std::fill(results, results + count, 1);
      return 1;
    }
    int failed = 0;
    for (int i = 0; i < count; ++i) failed |= results[i] = f.Draw(surfaces[i], path, edge, parts[i], partX, false);
    return failed == 0 ? 0 : 1;
  }
  // The PictureRows forms: one white pixel, the call noted as a part 0.
  static int PictureRows(const char* path, int (*row)(void*, const unsigned char*, unsigned, unsigned), void* ctx) {
    Get().Note(path, 0, 0, 0, true);
    return WhiteRow(row, ctx);
  }
  static int PictureRowsFdWithin(const BudgetCalls* budget, int fd,
                                 int (*row)(void*, const unsigned char*, unsigned, unsigned), void* ctx) {
    Get().Saw(budget);
    const std::string path = PathOf(fd);
    if (path.empty()) return 1;
    Get().Note(path, 0, 0, 0, false);
    return WhiteRow(row, ctx);
  }

  void Reset() {
    std::lock_guard<std::mutex> l(m_);
    budgets_.clear();
    painters_.clear();
    calls_.clear();
    batches_.clear();
  }
  void Set(const std::string& name, Painter p) {
    std::lock_guard<std::mutex> l(m_);
    painters_[name] = std::move(p);
  }
  // A flat colour over the whole surface.
  void Flat(const std::string& name, Rgb c) {
    Set(name, [c](std::uint8_t* bits, int edge, int) {
      Fill(bits, std::uint32_t(edge), c);
      return 0;
    });
  }
  // The MakeMinImages calls by file name since the last time.
  std::map<std::string, int> TakeBatches() {
    std::lock_guard<std::mutex> l(m_);
    return std::exchange(batches_, {});
  }
  // The budgets (their contexts) the calls within one were given since the
  // last time.
  std::set<const void*> TakeBudgets() {
    std::lock_guard<std::mutex> l(m_);
    return std::exchange(budgets_, {});
  }
  std::vector<ThumbCall> Calls() const {
    std::lock_guard<std::mutex> l(m_);
    return calls_;
  }

 private:
  static std::string PathOf(int fd) {
    char path[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
    return n > 0 ? std::string(path, std::size_t(n)) : "";
  }
  static int WhiteRow(int (*row)(void*, const unsigned char*, unsigned, unsigned), void* ctx) {
    const unsigned char white[3] = {255, 255, 255};
    return row(ctx, white, 1, 1) ? 0 : 2;
  }
  // Notes the call; the painter of the file's name.
  Painter Note(const std::string& path, int edge, int part, int partX, bool byPath) {
    const std::string name = path.substr(path.rfind('/') + 1);
    std::lock_guard<std::mutex> l(m_);
    calls_.push_back({name, edge, part, partX, std::this_thread::get_id(), byPath});
    const auto it = painters_.find(name);
    return it == painters_.end() ? Painter() : it->second;
  }
  int Draw(unsigned char* surface, const std::string& path, int edge, int part, int partX, bool byPath) {
    const Painter painter = Note(path, edge, part, partX, byPath);
    Fill(surface, std::uint32_t(edge), {255, 255, 255});
    return painter ? painter(surface, edge, part) : 0;
  }
  void Saw(const BudgetCalls* budget) {
    std::lock_guard<std::mutex> l(m_);
    budgets_.insert(budget ? budget->ctx : nullptr);
  }

  mutable std::mutex m_;
  std::set<const void*> budgets_;
  std::map<std::string, Painter> painters_;
  std::vector<ThumbCall> calls_;
  std::map<std::string, int> batches_;  // MakeMinImages calls by file name
};

}  // namespace pictray::testing
