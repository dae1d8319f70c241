// State of the Pictray main window that runs read or write: the rows, the
// analysis selection flags, the chaining switch, the parameter blocks and
// the run registry. The window owns one; pictray-cli and tests make their own.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "engine/fs/env.h"
#include "engine/fs/memory_budget.h"
#include "engine/list/file_list.h"
#include "engine/run/run_state.h"

namespace pictray {

// A text written by one thread and read by another.
class SharedText {
 public:
  SharedText() = default;
  explicit SharedText(std::string v) : value_(std::move(v)) {}
  std::string get() const {
    std::lock_guard<std::mutex> l(m_);
    return value_;
  }
  void set(std::string v) {
    std::lock_guard<std::mutex> l(m_);
    value_ = std::move(v);
  }

 private:
  mutable std::mutex m_;
  std::string value_;
};

struct AnalysisFlags {
  std::atomic<int> M_Exif{0}, M_Info{0}, M_Hed{0}, M_Size{0}, M_NG{0}, M_RP{0}, M_RS{0}, M_Sharp{0};

  bool Any() const {
    return M_Exif || M_Info || M_Hed || M_Size || M_NG || M_RP || M_RS || M_Sharp;
  }
  void Reset() {
    for (std::atomic<int>* f : {&M_Exif, &M_Info, &M_Hed, &M_Size, &M_NG, &M_RP, &M_RS, &M_Sharp}) f->store(0);
  }
};

struct PictrayState {
  FileList rows;  // lpData / ListMax
  AnalysisFlags flags;
  std::atomic<int> MoveOn{0};
  std::atomic<int> Firstset{1};
  SharedText SarchFile;
  // The folder whose files the rows are: set when list-up starts. The move
  // acts on this folder and no other.
  SharedText listedFolder;
  SharedText ExifSel{"1"};
  SharedText disabledchar;
  std::string profile;    // working copy of the settings
  std::string GRprofile;  // the settings file
  std::string programDir;
  // Where the move run keeps its journals (the user's state folder); the
  // front end sets it before any move, and a move without it does nothing.
  std::string journalDir;
  // The file system every run goes through; tests hand in another.
  const fs::Env* env = &fs::DefaultEnv();
  int SortBit = 0;
  // The thumbnail library's MakeMinImage as the front end resolved it (the
  // type MakeMinImageFn of engine/colour); set before any run starts. The
  // colour analyses sample nothing without it.
  int (*MMI)(unsigned char* surface, const char* path, int edge, int part, int partX) = nullptr;
  // Its MakeMinImages (MakeMinImagesFn), when it has it: the colour runs
  // then draw a file's cells from one reading of the file.
  int (*MMIs)(unsigned char* const* surfaces, const char* path, int edge, const int* parts, int count, int partX,
              int* results) = nullptr;
  // And its PictureRows (PictureRowsFn): the all-colour run scans the
  // pictures of other formats through it.
  int (*PictureRows)(const char* path, int (*row)(void* ctx, const unsigned char* bgr, unsigned width, unsigned height),
                     void* ctx) = nullptr;
  // The same three within a budget (MakeMinImageWithinFn, ...), when the
  // library has them: the colour runs call these, within decodeBudget.
  int (*MMIWithin)(const BudgetCalls* budget, unsigned char* surface, const char* path, int edge, int part,
                   int partX) = nullptr;
  int (*MMIsWithin)(const BudgetCalls* budget, unsigned char* const* surfaces, const char* path, int edge,
                    const int* parts, int count, int partX, int* results) = nullptr;
  int (*PictureRowsWithin)(const BudgetCalls* budget, const char* path,
                           int (*row)(void* ctx, const unsigned char* bgr, unsigned width, unsigned height),
                           void* ctx) = nullptr;
  // MakeMinImagesWithin and PictureRowsWithin on a file the run has open
  // (MakeMinImagesFdWithinFn, ...), when the library has them: the colour
  // runs then hand the library the descriptor they opened.
  int (*MMIsFdWithin)(const BudgetCalls* budget, unsigned char* const* surfaces, int fd, int edge, const int* parts,
                      int count, int partX, int* results) = nullptr;
  int (*PictureRowsFdWithin)(const BudgetCalls* budget, int fd,
                             int (*row)(void* ctx, const unsigned char* bgr, unsigned width, unsigned height),
                             void* ctx) = nullptr;
  // What the pictures the colour runs decode may hold at once, shared by
  // all their workers (the two ratio workers' too).
  fs::MemoryBudget decodeBudget;
  // Finish marker of the two ratio workers: 0 neither has finished, else the
  // number (1 even rows, 2 odd rows) of the one that finished first.
  std::atomic<int> RgbPerEnd{0};
  // Most workers a run's pool may use; 0 = one per core.
  std::atomic<int> PoolMax{0};
  ParamBlocks blocks;
  RunRegistry runs;
};

}  // namespace pictray
