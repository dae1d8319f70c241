// Where a top-level window goes: its stored place, with the window manager's
// frame kept inside the screen's available area.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace pictray::ui {

// `r` shrunk to `area` where it is larger, then moved inside it.
QRect FitInto(QRect r, const QRect& area);

// The client rectangle that keeps `client` plus its `frame` inside `area`,
// never smaller than `least` (which may then still reach past the edge).
QRect FitWithFrame(const QRect& client, const QMargins& frame, const QRect& area, const QSize& least);

// Sizes and moves `window` to `place`, fitted into the screen now and once
// more when the window manager's frame becomes known (after it is shown).
void PlaceOnScreen(QWidget* window, const QRect& place);

}  // namespace pictray::ui
