#include "app/pictray/window_text.h"

#include <QCoreApplication>
#include <vector>

namespace pictray::app {

std::string WindowText(const char* source, std::initializer_list<std::string> args) {
  const std::string pattern = QCoreApplication::translate("Pictray", source).toUtf8().toStdString();
  const std::vector<std::string> put(args);
  // One pass, so that a name holding "%2" stays as it is.
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const int n = i + 1 < pattern.size() ? pattern[i + 1] - '0' : -1;
    if (pattern[i] == '%' && n >= 1 && n <= static_cast<int>(put.size())) {
      out += put[static_cast<std::size_t>(n - 1)];
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace pictray::app
