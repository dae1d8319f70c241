#include "app/common/command_keys.h"

namespace pictray::ui {

QList<QKeySequence> KeysOf(std::span<const CommandKey> table, int id) {
  for (const CommandKey& k : table) {
    if (k.id != id) continue;
    const QList<QKeySequence> standard = QKeySequence::keyBindings(k.standard);
    return standard.isEmpty() ? QList<QKeySequence>{QKeySequence(k.usual)} : standard;
  }
  return {};
}

QString WithKey(std::span<const CommandKey> table, const QString& tip, int id) {
  const QKeySequence key = KeysOf(table, id).value(0);
  return key.isEmpty() ? tip : QString("%1 (%2)").arg(tip, key.toString(QKeySequence::NativeText));
}

}  // namespace pictray::ui
