// libtwinscansearch.so of the program's folder, open while the object
// lives: the search for the same pictures, loaded only when asked for.
#pragma once

#include <dlfcn.h>

#include <string>

#include "engine/similar/similar_tools.h"

namespace pictray::cli {

class SearchModule {
 public:
  SearchModule() = default;
  SearchModule(const SearchModule&) = delete;
  SearchModule& operator=(const SearchModule&) = delete;
  ~SearchModule() {
    if (handle_) ::dlclose(handle_);
  }

  // Opens `folder`/libtwinscansearch.so and hands back its calls; false
  // with the reason in `error` when it or its calls cannot be had.
  bool Load(const std::string& folder, similar::SearchCalls* calls, std::string* error) {
    const std::string path = folder + "/libtwinscansearch.so";
    // Never unmapped: the libraries it brings keep their statics until exit,
    // so their destructors and the leak checker find them where they were.
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle_) {
      const char* why = ::dlerror();
      *error = "cannot load the search " + path + ": " + (why ? why : "unknown reason");
      return false;
    }
    using CallsFn = const similar::SearchCalls* (*)();
    const auto get = reinterpret_cast<CallsFn>(::dlsym(handle_, "TwinscanSearchCalls"));
    const similar::SearchCalls* found = get ? get() : nullptr;
    if (!found || !found->find || !found->facts || !found->same) {
      *error = "the search " + path + " has no TwinscanSearchCalls";
      return false;
    }
    *calls = *found;
    return true;
  }

 private:
  void* handle_ = nullptr;
};

}  // namespace pictray::cli
