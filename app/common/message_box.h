// The message box of both programs: a message and one or two buttons. The
// box grows to show the whole message (wider, then more lines, then a scroll
// bar). Returns 6 for the first button (or a key other than Escape pressed
// on it, or Enter), 7 for the second button, Escape or the close box.
#pragma once

#include <QString>

class QWidget;

namespace pictray::ui {

int MessageBox1Q(QWidget* owner, const QString& message, const QString& caption1,
                 const QString& caption2);

// Answers 7 to every box `owner` has open, for a window that goes away.
void CloseMessageBoxes(QWidget* owner);

}  // namespace pictray::ui
