// How Twinscan's review copes with a large search: a review of GROUPS
// groups (default 10,000; every seventh of three to five files; each with
// why its kept file stays; one file in a hundred left out) is shown,
// its group list scrolled from top to bottom a page at a time and walked
// a row at a time with the arrow key, each step painted.
// Usage (offscreen): bench_twinscan_review [GROUPS]
// Prints "show S" (from the review handed over to its first painting),
// "scroll_pages N", "scroll S", "scroll_page_max MS", "step S" (200 rows
// with the arrow key), "step_max MS", "thumbnails_at_show N" (pictures drawn
// for the first painting) and "thumbnails N" (drawn in all).
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListView>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/twinscan/review_pane.h"
#include "app/twinscan/thumbnail_drawer.h"

namespace {

using pictray::dupes::FileRec;
using pictray::dupes::TwinGroup;

// The pictures the stand-in drew, across the drawer's workers.
std::atomic<int>& Drawn() {
  static std::atomic<int> drawn{0};
  return drawn;
}

// A stand-in for the thumbnail library: a grey square at once, so that
// what is timed is the window's own work.
int PaintGrey(unsigned char* surface, const char*, int edge, int, int) {
  std::memset(surface, 0x80, static_cast<std::size_t>(edge) * edge * 3);
  ++Drawn();
  return 0;
}

struct Review {
  std::vector<FileRec> rows;
  pictray::dupes::TwinReview review;
};

Review MakeReview(int groups) {
  Review r;
  for (int g = 0; g < groups; ++g) {
    const int files = g % 7 == 0 ? 3 + g % 3 : 2;
    const long long bytes = 1000 + (g * 7919LL) % 5000000;
    TwinGroup group;
    for (int f = 0; f < files; ++f) {
      FileRec row;
      row.filename = "IMG_" + std::to_string(g) + (f == 0 ? "" : " (" + std::to_string(f) + ")") + ".jpg";
      row.file = row.filename.substr(0, row.filename.size() - 4);
      row.path = "/photos/2024/" + row.filename;
      row.size = std::to_string(bytes);
      row.identity.size = bytes;
      group.members.push_back({r.rows.size(), {}});
      r.rows.push_back(std::move(row));
    }
    // Each kept card says why it stays, as a search's groups do.
    group.why.criterion = files == 2 ? pictray::dupes::KeepCriterion::Original : pictray::dupes::KeepCriterion::Pixels;
    group.why.width[0] = 4032, group.why.height[0] = 3024, group.why.width[1] = 1600, group.why.height[1] = 1200;
    r.review.groups.push_back(std::move(group));
  }
  // One picture in a hundred left out by the search, listed beside the groups.
  for (std::size_t row = 0; row < r.rows.size(); row += 100)
    r.review.skipped.push_back({row, pictray::dupes::SkipReason::Unreadable});
  return r;
}

void Paint(QWidget* w) {
  QApplication::processEvents();
  w->repaint();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int groups = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
  Review r = MakeReview(groups);
  pictray::twinscan::ThumbnailDrawer drawer(pictray::ThumbnailCalls(PaintGrey), pictray::twinscan::kLargeThumbnail,
                                            pictray::twinscan::kSmallThumbnail, 2, [] {});
  pictray::dupes::TwinReview held;  // the window's review, empty until a search hands one over
  pictray::twinscan::ReviewPane pane(nullptr, {&held, &r.rows, &drawer}, [](int) {});
  pane.resize(1500, 900);
  pane.show();
  Paint(&pane);
  QElapsedTimer clock;
  clock.start();
  held = r.review;
  pane.ShowNew();
  Paint(&pane);
  const double show = clock.nsecsElapsed() / 1e9;
  while (drawer.drawing()) QApplication::processEvents();
  const int drawnAtShow = Drawn().load();

  QTableView* list = pane.groupList();
  QScrollBar* bar = list->verticalScrollBar();
  qint64 longestPage = 0;
  int pages = 0;
  clock.restart();
  for (int value = 0;; value += bar->pageStep()) {
    QElapsedTimer page;
    page.start();
    bar->setValue(std::min(value, bar->maximum()));
    Paint(list->viewport());
    longestPage = std::max(longestPage, page.nsecsElapsed());
    ++pages;
    if (value >= bar->maximum()) break;
  }
  const double scroll = clock.nsecsElapsed() / 1e9;

  list->setFocus();
  list->setCurrentIndex(list->model()->index(0, 0));
  qint64 longestStep = 0;
  clock.restart();
  for (int i = 0; i < 200; ++i) {
    QElapsedTimer step;
    step.start();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(list, &down);
    Paint(&pane);
    longestStep = std::max(longestStep, step.nsecsElapsed());
  }
  const double steps = clock.nsecsElapsed() / 1e9;
  while (drawer.drawing()) QApplication::processEvents();

  std::printf("groups %d\nshow %.3f\nscroll_pages %d\nscroll %.3f\nscroll_page_max %.1f\nstep %.3f\nstep_max %.1f\n"
              "thumbnails_at_show %d\nthumbnails %d\n",
              groups, show, pages, scroll, longestPage / 1e6, steps, longestStep / 1e6, drawnAtShow, Drawn().load());
  return 0;
}
