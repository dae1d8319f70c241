// The message box of both programs: a message and one or two buttons. The
// box grows to show the whole message (wider, then more lines, then a scroll
// bar). Returns 6 for the first button (or a key other than Escape pressed
// on it, or Enter), 7 for the second button, Escape or the close box.
#pragma once

#include <QString>

#include "engine/run/message.h"

class QWidget;

namespace pictray::ui {

// The buttons' captions are made here, in the window's language.
int MessageBox1Q(QWidget* owner, const QString& message, Button caption1, Button caption2);

// Answers 7 to every box `owner` has open, for a window that goes away.
void CloseMessageBoxes(QWidget* owner);

}  // namespace pictray::ui
