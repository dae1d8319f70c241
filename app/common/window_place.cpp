#include "app/common/window_place.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace pictray::ui {
namespace {

void FitNow(QWidget* window) {
  const QScreen* screen = QGuiApplication::screenAt(window->geometry().center());
  if (!screen) screen = window->screen();
  if (!screen) return;
  const QRect client = window->geometry();
  const QRect frame = window->frameGeometry();
  const QMargins margins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                         frame.bottom() - client.bottom());
  const QRect fitted = FitWithFrame(client, margins, screen->availableGeometry(), window->minimumSizeHint());
  if (fitted == client) return;
  window->resize(fitted.size());
  window->move(fitted.topLeft() - QPoint(margins.left(), margins.top()));
}

// The frame is only known once the window manager has put the window on
// the screen: the first move or resize that shows one fits the window again.
class FitWhenFramed : public QObject {
 public:
  explicit FitWhenFramed(QWidget* window) : QObject(window), window_(window) { window->installEventFilter(this); }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    const bool placed = e->type() == QEvent::Move || e->type() == QEvent::Resize || e->type() == QEvent::Show;
    if (placed && window_->isVisible() && window_->frameGeometry() != window_->geometry()) {
      window_->removeEventFilter(this);
      FitNow(window_);
      deleteLater();
    }
    return false;
  }

 private:
  QWidget* window_;
};

}  // namespace

QRect FitInto(QRect r, const QRect& area) {
  r.setSize(r.size().boundedTo(area.size()));
  r.moveLeft(std::clamp(r.left(), area.left(), area.left() + area.width() - r.width()));
  r.moveTop(std::clamp(r.top(), area.top(), area.top() + area.height() - r.height()));
  return r;
}

QRect FitWithFrame(const QRect& client, const QMargins& frame, const QRect& area, const QSize& least) {
  const QRect framed = client.marginsAdded(frame);
  QRect fitted = FitInto(framed, area);
  fitted.setSize((fitted.size() - (framed.size() - client.size())).expandedTo(least).grownBy(frame));
  // What the window needs at least may still reach past the right or bottom edge: its top-left stays on the screen.
  fitted.moveTopLeft(FitInto(fitted, area).topLeft());
  return fitted.marginsRemoved(frame);
}

void PlaceOnScreen(QWidget* window, const QRect& place) {
  window->resize(place.size());
  window->move(place.topLeft());
  FitNow(window);
  new FitWhenFramed(window);
}

}  // namespace pictray::ui
