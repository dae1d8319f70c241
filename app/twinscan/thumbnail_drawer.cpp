#include "app/twinscan/thumbnail_drawer.h"

#include <QFile>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "app/common/surface_image.h"
#include "engine/colour/pixel_window.h"
#include "engine/fs/memory_budget.h"

namespace pictray::twinscan {
namespace {

// What a group of a few hundred files shows at two sizes.
constexpr int kCachedKiB = 96 * 1024;
// Requests beyond these are the ones scrolled past: the oldest are dropped
// and asked for again if they come back into view.
constexpr std::size_t kQueued = 64;

bool WhiteRow(const QImage& image, int y, int width) {
  const uchar* p = image.constScanLine(y);
  return std::all_of(p, p + 3 * width, [](uchar c) { return c == 0xff; });
}

bool WhiteColumn(const QImage& image, int x, int height) {
  for (int y = 0; y < height; ++y)
    if (image.pixel(x, y) != 0xffffffff) return false;
  return true;
}

// The library draws the picture top left on white: the white it left below
// and to the right is cut off, so that the picture sits in the middle of its
// cell.
QImage DrawnPart(const QImage& square) {
  int height = square.height(), width = square.width();
  while (height > 1 && WhiteRow(square, height - 1, width)) --height;
  while (width > 1 && WhiteColumn(square, width - 1, height)) --width;
  return square.copy(0, 0, width, height);
}

}  // namespace

QImage DrawThumbnail(const ThumbnailCalls& lib, const std::string& path, int edge) {
  if (!lib.Drawing() || edge < 1) return {};
  Surface surface(static_cast<std::uint32_t>(edge));
  if (lib.Draw(surface.bits(), path.c_str(), edge, 0, 1) != kDrawn) return {};
  const PixelWindow w = surface.Window();
  return ui::SurfaceImage(w.bits, static_cast<int>(w.stride), edge);
}

// What the workers share with the drawer, and keep when it is gone.
struct ThumbnailDrawer::Shared {
  Shared(ThumbnailCalls calls, int edge_) : lib(calls), edge(edge_) { lib.budget = budget.Calls(); }
  fs::MemoryBudget budget;
  ThumbnailCalls lib;
  const int edge;
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<std::pair<std::uint64_t, std::string>> queue;  // newest at the back
  ThumbnailDrawer* owner;  // nullptr once the drawer is gone
  std::size_t busy = 0;    // workers drawing

  void Work() {
    std::unique_lock<std::mutex> lock(mutex);
    while (true) {
      wake.wait(lock, [this] { return !owner || !queue.empty(); });
      if (!owner) return;
      auto [generation, path] = std::move(queue.back());
      queue.pop_back();
      ++busy;
      lock.unlock();
      const QImage image = DrawThumbnail(lib, path, edge);
      lock.lock();
      --busy;
      if (owner)
        QMetaObject::invokeMethod(
            owner, [o = owner, generation, path, image] { o->Arrive(generation, path, image); },
            Qt::QueuedConnection);
    }
  }
};

ThumbnailDrawer::ThumbnailDrawer(ThumbnailCalls lib, int largeEdge, int smallEdge, int workers, Arrived arrived)
    : shared_(std::make_shared<Shared>(lib, largeEdge)), smallEdge_(smallEdge), arrived_(std::move(arrived)),
      drawn_(kCachedKiB) {
  shared_->owner = this;
  if (!lib.Drawing()) return;
  for (int i = 0; i < workers; ++i) std::thread([shared = shared_] { shared->Work(); }).detach();
}

ThumbnailDrawer::~ThumbnailDrawer() {
  // A thumbnail posted before this goes with the object's pending events.
  const std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->owner = nullptr;
  shared_->queue.clear();
  shared_->wake.notify_all();
}

const Thumbnail* ThumbnailDrawer::Find(const std::string& path) {
  if (const Thumbnail* t = drawn_.object(QByteArray::fromStdString(path))) return t;
  if (!shared_->lib.Drawing() || !asked_.insert(path).second) return nullptr;
  const std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->queue.emplace_back(generation_, path);
  if (shared_->queue.size() > kQueued) {
    asked_.erase(shared_->queue.front().second);
    shared_->queue.pop_front();
  }
  shared_->wake.notify_one();
  return nullptr;
}

void ThumbnailDrawer::Forget() {
  ++generation_;
  drawn_.clear();  // the files may have moved or changed since
  asked_.clear();
  const std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->queue.clear();
}

bool ThumbnailDrawer::drawing() const {
  const std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->busy > 0 || !shared_->queue.empty();
}

void ThumbnailDrawer::Arrive(std::uint64_t generation, const std::string& path, const QImage& image) {
  if (generation != generation_) return;
  asked_.erase(path);
  auto* t = new Thumbnail;
  // A file the library cannot draw shows a grey square rather than being asked for again.
  if (image.isNull()) {
    QImage grey(shared_->edge, shared_->edge, QImage::Format_RGB888);
    grey.fill(QColor(0xdd, 0xdd, 0xdd));
    t->large = QPixmap::fromImage(grey);
  } else {
    t->large = QPixmap::fromImage(DrawnPart(image));
  }
  t->small = t->large.scaled(smallEdge_, smallEdge_, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  const int cost = (shared_->edge * shared_->edge + smallEdge_ * smallEdge_) * 4 / 1024 + 1;
  drawn_.insert(QByteArray::fromStdString(path), t, cost);
  arrived_();
}

}  // namespace pictray::twinscan
