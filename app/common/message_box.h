// The message box of both programs: one line of text and one or two
// buttons. Returns 6 for the first button (or a key pressed on it, or
// Enter), 7 for the second button or any other way of closing it.
#pragma once

#include <QString>

class QWidget;

namespace pictray::ui {

int MessageBox1Q(QWidget* owner, const QString& message, const QString& caption1,
                 const QString& caption2);

}  // namespace pictray::ui
