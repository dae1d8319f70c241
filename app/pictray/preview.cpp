#include "app/pictray/preview.h"

#include <QPainter>

#include <utility>
#include <vector>

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
  QImage image(edge, edge, QImage::Format_RGB888);
  for (int y = 0; y < edge; ++y) {
    const unsigned char* src = surface.data() + static_cast<std::size_t>(edge - 1 - y) * stride;
    unsigned char* dst = image.scanLine(y);
    for (int x = 0; x < edge; ++x) {
      dst[3 * x] = src[3 * x + 2];
      dst[3 * x + 1] = src[3 * x + 1];
      dst[3 * x + 2] = src[3 * x];
    }
  }
  return image;
}

PreviewDrawer::PreviewDrawer(Draw draw, Show show) : draw_(std::move(draw)), show_(std::move(show)) {}

PreviewDrawer::~PreviewDrawer() {
  // The square it posts goes with this object's pending events.
  if (worker_.joinable()) worker_.join();
}

void PreviewDrawer::Request(const std::string& path) {
  ++newest_;
  next_ = path;
  if (!drawing_) StartNext();
}

void PreviewDrawer::StartNext() {
  if (worker_.joinable()) worker_.join();  // it has posted its square: ended or about to
  drawing_ = true;
  const std::string path = std::move(*next_);
  next_.reset();
  worker_ = std::thread([this, path, ticket = newest_] {
    const QImage square = draw_(path);
    QMetaObject::invokeMethod(this, [this, ticket, square] { Drawn(ticket, square); }, Qt::QueuedConnection);
  });
}

void PreviewDrawer::Drawn(std::uint64_t ticket, const QImage& square) {
  drawing_ = false;
  if (ticket == newest_) show_(square);
  if (next_) StartNext();
}

}  // namespace pictray::app
