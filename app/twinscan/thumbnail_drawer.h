// The review's thumbnails: drawn by the thumbnail library on workers of
// their own, newest request first, and handed to the window's thread. The
// library's decode cannot be stopped, so the workers may outlive the
// drawer: a closing window never waits for them.
#pragma once

#include <QByteArray>
#include <QCache>
#include <QImage>
#include <QObject>
#include <QPixmap>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>

#include "engine/colour/thumbnail.h"

namespace pictray::twinscan {

// The picture at `path` drawn by `lib` into an edge x edge square on white;
// a null image when the library cannot draw it.
QImage DrawThumbnail(const ThumbnailCalls& lib, const std::string& path, int edge);

struct Thumbnail {
  QPixmap large, small;  // the member view's and the group list's
};

class ThumbnailDrawer : public QObject {
 public:
  using Arrived = std::function<void()>;
  // `largeEdge` and `smallEdge`: the two sizes each file is shown at;
  // `arrived` is called on the drawer's thread as each thumbnail comes in.
  ThumbnailDrawer(ThumbnailCalls lib, int largeEdge, int smallEdge, int workers, Arrived arrived);
  ~ThumbnailDrawer() override;
  ThumbnailDrawer(const ThumbnailDrawer&) = delete;
  ThumbnailDrawer& operator=(const ThumbnailDrawer&) = delete;

  // The thumbnail of `path` when it is drawn; otherwise it is asked for and
  // null is returned. Only what is shown asks, so only that is drawn.
  const Thumbnail* Find(const std::string& path);
  // A new review: what was asked for is no longer drawn, and what was being
  // drawn is dropped when it arrives.
  void Forget();
  bool drawing() const;

 private:
  struct Shared;
  void Arrive(std::uint64_t generation, const std::string& path, const QImage& image);

  std::shared_ptr<Shared> shared_;
  int smallEdge_;
  Arrived arrived_;
  std::uint64_t generation_ = 0;
  QCache<QByteArray, Thumbnail> drawn_;  // cost in KiB
  std::unordered_set<std::string> asked_;  // queued or being drawn
};

}  // namespace pictray::twinscan
