#include "app/pictray/preview.h"

#include <QPainter>

#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "app/common/surface_image.h"

namespace pictray::app {
namespace {

QImage UnreadableSquare(int edge) {
  QImage image(edge, edge, QImage::Format_RGB888);
  image.fill(Qt::black);
  QPainter p(&image);
  p.fillRect(1, 1, edge - 2, edge - 2, Qt::white);
  return image;
}

}  // namespace

QImage MakePreview(MakeMinImageFn MMI, const std::string& path, int edge) {
  if (edge < 3) return {};
  // The library's surface: bottom row first, B,G,R, rows padded to 4 bytes.
  const int stride = (3 * edge + 3) & ~3;
  std::vector<unsigned char> surface(static_cast<std::size_t>(stride) * edge, 0xff);
  // 1 (unreadable) and 9 (no picture format) alike leave nothing to show.
  // Part 0 of a 1 x 1 grid: the whole picture.
  if (!MMI || MMI(surface.data(), path.c_str(), edge, 0, 1) != 0) return UnreadableSquare(edge);
  return ui::SurfaceImage(surface.data(), stride, edge);
}

// What a drawing holds on to: the thumbnail library's decode cannot be
// stopped, so it may outlive the drawer.
struct PreviewDrawer::Shared {
  Shared(Draw d, PreviewDrawer* o) : draw(std::move(d)), owner(o) {}
  const Draw draw;
  std::mutex mutex;
  PreviewDrawer* owner;  // nullptr once the drawer is gone
};

PreviewDrawer::PreviewDrawer(Draw draw, Show show)
    : shared_(std::make_shared<Shared>(std::move(draw), this)), show_(std::move(show)) {}

PreviewDrawer::~PreviewDrawer() {
  // A square posted before this goes with the object's pending events.
  const std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->owner = nullptr;
}

void PreviewDrawer::Request(const std::string& path) {
  ++newest_;
  next_ = path;
  if (!drawing_) StartNext();
}

void PreviewDrawer::Cancel() {
  ++newest_;
  next_.reset();
}

void PreviewDrawer::StartNext() {
  drawing_ = true;
  std::thread([shared = shared_, path = std::move(*next_), ticket = newest_] {
    const QImage square = shared->draw(path);
    const std::lock_guard<std::mutex> lock(shared->mutex);
    if (shared->owner)
      QMetaObject::invokeMethod(
          shared->owner, [owner = shared->owner, ticket, square] { owner->Drawn(ticket, square); },
          Qt::QueuedConnection);
  }).detach();
  next_.reset();
}

void PreviewDrawer::Drawn(std::uint64_t ticket, const QImage& square) {
  drawing_ = false;
  if (ticket == newest_) show_(square);
  if (next_) StartNext();
}

}  // namespace pictray::app
