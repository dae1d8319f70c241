// Parameter blocks, abort flags and the run registry that refuses
// row-reordering commands while any run is active.
#pragma once

#include <atomic>
#include <string>


namespace pictray {

// One block per kind of run, reused by every run of its kind.
struct ParamBlock {
  std::string folder;
  std::atomic<int> abort{0};
  int mode = 1;

  // Filled by the window's thread right before the run starts.
  void Start(const std::string& source, int runMode = 1) {
    folder = source;
    mode = runMode;
    abort.store(0);
  }
  bool Aborted() const { return abort.load(std::memory_order_relaxed) != 0; }
};

struct ParamBlocks {
  ParamBlock val3;    // list-up
  ParamBlock val21;   // move
  ParamBlock val;     // Exif, size, NG
  ParamBlock valrp;   // RGB ratio / strength
  ParamBlock valrp2;  // second RGB ratio worker
  ParamBlock val5;    // all colour
  ParamBlock val6;    // part colour

  // Abort (command 1031): every block's flag at once.
  void AbortAll() {
    for (ParamBlock* b : {&val3, &val21, &val, &valrp, &valrp2, &val5, &val6}) b->abort.store(1);
  }
};

// Counts active runs. Commands that reorder or free rows (sort, clear list,
// clear analyses, "Set Clear", list-up) are refused while a run is active.
class RunRegistry {
 public:
  bool Active() const { return active_.load() > 0; }
  int Count() const { return active_.load(); }

  class Guard {
   public:
    explicit Guard(RunRegistry& r) : r_(&r) { r_->active_.fetch_add(1); }
    Guard(Guard&& o) noexcept : r_(o.r_) { o.r_ = nullptr; }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
    Guard& operator=(Guard&&) = delete;
    ~Guard() { Release(); }
    void Release() {
      if (r_) r_->active_.fetch_sub(1);
      r_ = nullptr;
    }

   private:
    RunRegistry* r_;
  };

 private:
  std::atomic<int> active_{0};
};

}  // namespace pictray
