#include "engine/runs/listup.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "engine/jpeg/header_check.h"
#include "engine/runs/colour_runs.h"
#include "engine/runs/jpeg_runs.h"
#include "engine/list/folder_listing.h"
#include "engine/runs/row_pool.h"
#include "engine/runs/run_steps.h"
#include "engine/runs/uniformity.h"
#include "engine/fs/read_hint.h"
#include "engine/fs/safe_move.h"
#include "engine/settings/settings_keys.h"

namespace pictray {
namespace {

using Clock = std::chrono::steady_clock;

// Rows reach the list in batches so that the window is not repainted per
// row: whole rows, or names alone when list-up only lists.
template <class Item>
class RowBatcher {
 public:
  RowBatcher(FileList& rows, RunHost& host) : rows_(rows), host_(host) {}
  void Add(Item row) {
    batch_.push_back(std::move(row));
    // The clock is read every 64 rows: per row it costs as much as the row.
    if (batch_.size() % 64 != 0) return;
    if (batch_.size() >= 4096 || Clock::now() - last_ > std::chrono::milliseconds(40)) Flush();
  }
  void Flush() {
    last_ = Clock::now();
    if (batch_.empty()) return;
    rows_.append(std::move(batch_));
    batch_.clear();
    host_.SetItemCount(rows_.ListMax());
  }

 private:
  FileList& rows_;
  RunHost& host_;
  std::vector<Item> batch_;
  Clock::time_point last_ = Clock::now();
};

// The rows listed of those expected, without a window round trip per file.
class ListProgress {
 public:
  ListProgress(RunHost& host, std::size_t expected) : host_(host), expected_(expected) {}
  void Listed(std::size_t r) {
    const int percent = expected_ ? static_cast<int>(r * 100 / expected_) : 0;
    if (percent == shownPercent_ && (r % 64 != 0 || Clock::now() - lastStatus_ <= std::chrono::milliseconds(50)))
      return;
    shownPercent_ = percent;
    lastStatus_ = Clock::now();
    Tell(r);
  }
  void Tell(std::size_t r) { host_.Progressed(RunProgress::Done(cmd::ListUp, r, expected_)); }

 private:
  RunHost& host_;
  std::size_t expected_;
  int shownPercent_ = 0;
  Clock::time_point lastStatus_ = Clock::now();
};

// Folders are not listed, nor the hidden copies a move is making or left.
bool IsListed(const FolderEntries& e, std::size_t i) {
  return !e.isFolder(i) && !IsMoveTempName(e.name(i));
}

// Entries are worked on by the pool in stretches of this many, and their
// rows listed in the folder's order once a stretch is done.
constexpr std::size_t kStretch = 256;
// How many entries ahead of the workers files are announced to the kernel.
constexpr std::size_t kReadAheadEntries = 32;
// The JPEG check and the header analyses read the start of a file, the NG
// end check its last bytes too.
constexpr std::uint64_t kHeaderBytes = 64 * 1024, kTailBytes = 4096;

// What list-up makes of one file: its row, or none when the JPEG check
// keeps it out of the list.
struct ListedFile {
  bool done = false;
  std::optional<Row> row;
};

// The per-file work of list-up, the same on every worker.
struct FileLabeller {
  const fs::Env& env;
  const std::string& folder;
  const AnalysisFlags& flags;
  const JpegSettings& jpeg;
  bool JpegCheck;
  bool analyse;

  // How much of the files the work reads (for the read-ahead).
  ReadAhead BytesRead() const {
    const bool whole = flags.M_RP || flags.M_RS || flags.M_Sharp ||
                       (flags.M_NG && (jpeg.ng.JlibCheck == "1" || jpeg.ng.NullCheck == "1"));
    if (whole) return {0, 0, kReadAheadEntries};
    return {kHeaderBytes, flags.M_NG ? kTailBytes : 0, kReadAheadEntries};
  }

  // `host` shows the zero-run test's progress (one worker only; may be null).
  // `opened` is the file when the read-ahead opened it already.
  ListedFile Make(std::string name, std::unique_ptr<fs::ReadOnlyFile> opened, ListUpColourLabeller& colour,
                  RunHost* host) const {
    ListedFile f;
    f.done = true;
    const std::string path = folder + "/" + name;
    Row row{std::move(name), {}, {}, {}};
    if (JpegCheck || analyse) {
      // Opened once: the check and every analysis read this one file.
      if (!opened) opened = std::make_unique<fs::ReadOnlyFile>(env, path);
      const fs::ReadOnlyFile& file = *opened;
      if (JpegCheck && JpegHedarCheck(file) != "JPEG") return f;
      if (analyse) {
        // The colour analyses name only what the JPEG ones left without a target.
        const JpegLabel label = ListUpJpegLabel(file, path, flags, jpeg, host);
        row.target = label.text;
        if (!label.text.empty()) {
          row.kind = label.kind;
          row.by = label.by;
          row.notes = label.notes;
        }
        colour.Label(file, path, row);
      }
    }
    f.row = std::move(row);
    return f;
  }
};

// Names alone: no file is opened, and each name is copied once, into the
// list.
std::size_t ListNames(const FolderEntries& entries, const ParamBlock& val3, FileList& rows, RunHost& host,
                      ListProgress& progress) {
  RowBatcher<std::string_view> batch(rows, host);
  std::size_t r = 0;
  for (std::size_t i = 0; i < entries.size() && !val3.Aborted(); ++i) {
    if (!IsListed(entries, i)) continue;
    batch.Add(entries.name(i));
    progress.Listed(++r);
  }
  batch.Flush();
  return r;
}

// Each file opened once and labelled by the pool (the JPEG check keeping
// some out), the rows listed in the folder's order.
std::size_t ListLabelled(const FolderEntries& entries, const std::string& folder, const ParamBlock& val3,
                         PictrayState& st, const ProfileSnapshot& profile, bool JpegCheck, RunHost& host,
                         ListProgress& progress) {
  JpegSettings jpeg = JpegSettings::Read(profile);
  jpeg.ExifSel = st.ExifSel.get();  // "13" when ReadDay chose the date
  const bool analyse = st.flags.Any();
  const FileLabeller labeller{*st.env, folder, st.flags, jpeg, JpegCheck, analyse};
  const int workers = PoolWorkers(st, profile);
  const ReadAhead ahead = labeller.BytesRead();

  RowBatcher<Row> batch(st.rows, host);
  std::size_t r = 0;
  std::vector<std::size_t> stretch;  // entries of the stretch in hand
  std::vector<ListedFile> made;
  std::size_t next = 0;
  bool stopped = false;
  std::vector<HintPacer> pacers(static_cast<std::size_t>(workers));
  // By entry: the files the read-ahead opened, each kept for its entry.
  AheadFiles opened(entries.size());
  while (next < entries.size() && !stopped) {
    stretch.clear();
    for (; next < entries.size() && stretch.size() < kStretch; ++next)
      if (IsListed(entries, next)) stretch.push_back(next);
    made.assign(stretch.size(), ListedFile{});
    std::atomic<std::size_t> taken{0};
    OnWorkers(workers, [&](int worker) {
      std::optional<ListUpColourLabeller> colour;
      HintPacer& hints = pacers[static_cast<std::size_t>(worker)];
      for (std::size_t k; (k = taken.fetch_add(1)) < stretch.size();) {
        if (val3.Aborted()) return;
        if (const std::size_t later = stretch[k] + ahead.depth;
            workers > 1 && later < entries.size() && IsListed(entries, later) && hints.Due())
          OpenAhead(opened, later, *st.env, folder + "/" + std::string(entries.name(later)), ahead, hints);
        if (!colour) colour.emplace(st.flags, st, profile);
        made[k] = labeller.Make(std::string(entries.name(stretch[k])), opened.Take(stretch[k]), *colour,
                                worker == 0 ? &host : nullptr);
      }
    });
    // The files are listed in order, each only while no abort has come.
    for (ListedFile& f : made) {
      if (!f.done || val3.Aborted()) {
        stopped = true;
        break;
      }
      if (!f.row) continue;
      if (analyse) host.ShowRunPlace(r);
      batch.Add(std::move(*f.row));
      progress.Listed(++r);
    }
  }
  batch.Flush();
  return r;
}

void EndSteps(PictrayState& st, RunHost& host, RunRegistry::Guard& guard) {
  host.SetItemCount(st.rows.ListMax());
  host.DeselectAll();
  CountSetItem(host, st.rows);
  SetDataAllCheck(host, st.rows);
  if (st.Firstset != 0 && st.MoveOn != 1) host.MessageBox1Q(Message{Said::ListupEnd}, Button::Yes, Button::Yes);
  if (st.Firstset == 0) {
    const std::string name = st.SarchFile.get();
    const long row = st.rows.SelectListView(name);
    if (row >= 0) {
      host.SearchedFileListed(name, row);
      host.MessageBox1Q(Message{Said::Name, {name}}, Button::Yes, Button::Yes);
    }
    st.Firstset = 1;
  }
  guard.Release();
  host.Progressed(RunProgress::Over(cmd::ListUp));
  // A stopped list-up offers the rows it listed as a finished one does.
  host.RunEnded(EndOfRun(cmd::ListUp, st, false, st.rows.MoveDataCheck() == 1));
}

}  // namespace

void ThreadSetListView(ParamBlock& val3, PictrayState& st, RunHost& host, RunRegistry::Guard guard) {
  const std::string folder = val3.folder;
  st.listedFolder.set(folder);
  // Read once: every row and worker takes its settings from this.
  const ProfileSnapshot profile = ProfileSnapshot::Read(*st.env, st.profile);
  const std::string ReadDay = ReadSetting(key::ReadDay, profile);
  if (!st.flags.Any() && ReadDay == "1") {
    st.flags.M_Exif = 1;
    st.ExifSel.set("13");
  }
  host.Progressed(RunProgress::Stage(RunProgress::Kind::Reading));
  FolderEntries entries;
  std::string error;
  const bool readable = ReadFolder(*st.env, folder, &entries, &error);
  std::size_t FileCount = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) FileCount += IsListed(entries, i) ? 1 : 0;
  host.RunBegan(cmd::ListUp);

  const std::size_t expected = FileCount;
  st.rows.reserve(FileCount);
  host.Progressed(RunProgress::Stage(RunProgress::Kind::Uncounted));
  const bool JpegCheck = ReadSetting(key::JpegCheck, profile) == "1";
  host.Progressed(RunProgress::Began(cmd::ListUp, expected));
  ListProgress progress(host, expected);
  if (!readable) {
    host.MessageBox1Q(Message{Said::FolderUnreadable, {folder, error}}, Button::Err, Button::Err);
  }

  const bool analyse = st.flags.Any();
  const std::size_t r = analyse || JpegCheck ? ListLabelled(entries, folder, val3, st, profile, JpegCheck, host, progress)
                                             : ListNames(entries, val3, st.rows, host, progress);
  progress.Tell(r);
  EndSteps(st, host, guard);
}

}  // namespace pictray
