// The preview square of the selected file, drawn by the thumbnail library
// off the window's thread.
#pragma once

#include <QImage>
#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "thumbkit/thumbkit.h"

namespace pictray::app {

// The picture at `path` (bytes) fitted into an edge x edge square on white;
// a file that cannot be drawn gives a black square with a white square one
// pixel inside it.
QImage MakePreview(MakeMinImageFn MMI, const std::string& path, int edge);

// Draws squares on a worker, one at a time, and shows them on the thread
// that owns the drawer. Of the requests that come while one is drawn only
// the newest is drawn next, and a square that is no longer the newest
// request's is never shown: a slow file cannot hold the window, nor show
// after a later click.
class PreviewDrawer : public QObject {
 public:
  using Draw = std::function<QImage(const std::string& path)>;
  using Show = std::function<void(const QImage& square)>;
  PreviewDrawer(Draw draw, Show show);
  // Returns at once: the square in hand is drawn to its end on its own and
  // never shown. The worker keeps the draw function until then.
  ~PreviewDrawer() override;
  PreviewDrawer(const PreviewDrawer&) = delete;
  PreviewDrawer& operator=(const PreviewDrawer&) = delete;

  void Request(const std::string& path);
  // No square asked for so far is shown, nor drawn unless already begun.
  void Cancel();

 private:
  struct Shared;
  void StartNext();
  void Drawn(std::uint64_t ticket, const QImage& square);

  std::shared_ptr<Shared> shared_;
  Show show_;
  bool drawing_ = false;
  std::optional<std::string> next_;
  std::uint64_t newest_ = 0;  // ticket of the latest request
};

}  // namespace pictray::app
