// The texts a run hands to a window (messages, button captions) are the
// engine's Japanese texts, often with names and counts put in. A window
// shows them in its language here: every fixed piece the engine composes
// its texts from is a template in context "engine" ("%1" stands for what
// the engine puts in); a text is cut into a sequence of templates, each
// template is translated and what was put in is carried over unchanged, so
// that names keep their bytes. A text that cannot be cut so is shown as it
// came. Without a translation loaded every text comes back unchanged.
#pragma once

#include <QString>
#include <QStringList>

namespace pictray::ui {

// A text a run composed, in the window's language.
QString EngineText(const QString& text);

// A button caption a run or window passed to the message box.
QString EngineCaption(const QString& caption);

// Every template and caption, as the engine writes it (for the tests that
// check that each has its translation).
QStringList EngineTemplates();

}  // namespace pictray::ui
