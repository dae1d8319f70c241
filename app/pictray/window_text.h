// The window's own messages in its language. A message is a template in
// context "Pictray" (marked where it is written with
// QT_TRANSLATE_NOOP("Pictray", ...)); "%1".."%9" take names and numbers,
// which keep their bytes.
#pragma once

#include <initializer_list>
#include <string>

namespace pictray::app {

std::string WindowText(const char* source, std::initializer_list<std::string> args = {});

}  // namespace pictray::app
