// The one conversion between the file system's bytes and the text the
// windows show. Names are kept as bytes; text is only for showing.
#pragma once

#include <QString>
#include <string>

namespace pictray::ui {

// UTF-8 as text; a byte that is not UTF-8 shows as U+FFFD.
inline QString TextOf(const std::string& bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// What the user typed, as the bytes of a name (UTF-8).
inline std::string BytesOf(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace pictray::ui
