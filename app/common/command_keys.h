// The keys of a window's commands: the platform's standard key where Qt
// has one, else the usual one (a platform may have no Quit key).
#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <span>

namespace pictray::ui {

struct CommandKey {
  int id;
  QKeySequence::StandardKey standard;  // UnknownKey: none
  QKeyCombination usual;
};

// The keys of command `id` in `table`; none when it has no row.
QList<QKeySequence> KeysOf(std::span<const CommandKey> table, int id);
// `tip` followed by the command's first key in brackets, when it has one.
QString WithKey(std::span<const CommandKey> table, const QString& tip, int id);

}  // namespace pictray::ui
