#include "engine/meta/late_libraries.h"

#include <libheif/heif_version.h>

extern "C" {
#include <libavutil/log.h>
#include <libavutil/macros.h>
#include <libavutil/mem.h>
}

#include <dlfcn.h>

#include <cstddef>
#include <optional>
#include <string>

namespace pictray::meta {
namespace {

template <class Fn>
bool Bind(void* library, const char* name, Fn*& fn) {
  fn = reinterpret_cast<Fn*>(::dlsym(library, name));
  return fn != nullptr;
}

// The functions of `library`, bound by `bind`, loaded at the first call;
// nothing when the library or a function is missing.
template <class Table>
const Table* LoadOnce(const std::string& library, bool (*bind)(void*, Table&)) {
  static const std::optional<Table> loaded = [&]() -> std::optional<Table> {
    void* lib = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    Table t;
    if (!lib || !bind(lib, t)) return std::nullopt;
    return t;
  }();
  return loaded ? &*loaded : nullptr;
}

// The most libavformat may take in one allocation. It allocates what a
// header claims (a "keys" box of 89 bytes claiming 251 million keys asked
// for 2 GB); the tables of a long movie's header take a few tens of MB.
constexpr std::size_t kMaxLibraryAlloc = std::size_t{256} << 20;

bool BindAvformat(void* lib, Avformat& a) {
  decltype(&av_log_set_level) setLogLevel = nullptr;
  decltype(&av_max_alloc) setMaxAlloc = nullptr;
  if (!Bind(lib, "avformat_alloc_context", a.allocContext) || !Bind(lib, "avio_alloc_context", a.ioAllocContext) ||
      !Bind(lib, "avio_context_free", a.ioContextFree) || !Bind(lib, "av_malloc", a.alloc) ||
      !Bind(lib, "av_freep", a.freep) || !Bind(lib, "avformat_open_input", a.openInput) || !Bind(lib, "avformat_close_input", a.closeInput) ||
      !Bind(lib, "av_find_input_format", a.findInputFormat) || !Bind(lib, "av_dict_get", a.dictGet) ||
      !Bind(lib, "av_log_set_level", setLogLevel) || !Bind(lib, "av_max_alloc", setMaxAlloc))
    return false;
  setLogLevel(AV_LOG_QUIET);
  setMaxAlloc(kMaxLibraryAlloc);
  return true;
}

bool BindLibheif(void* lib, Libheif& h) {
  return Bind(lib, "heif_context_alloc", h.contextAlloc) && Bind(lib, "heif_context_free", h.contextFree) &&
         Bind(lib, "heif_context_read_from_reader", h.readFromReader) &&
         Bind(lib, "heif_context_get_primary_image_handle", h.primaryHandle) &&
         Bind(lib, "heif_image_handle_release", h.handleRelease) &&
         Bind(lib, "heif_image_handle_get_ispe_width", h.codedWidth) &&
         Bind(lib, "heif_image_handle_get_ispe_height", h.codedHeight) &&
         Bind(lib, "heif_image_handle_get_list_of_metadata_block_IDs", h.metadataIds) &&
         Bind(lib, "heif_image_handle_get_metadata_size", h.metadataSize) &&
         Bind(lib, "heif_image_handle_get_metadata", h.metadata);
}

}  // namespace

const Avformat* LoadAvformat() {
  return LoadOnce<Avformat>("libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR), BindAvformat);
}

const Libheif* LoadLibheif() {
  return LoadOnce<Libheif>("libheif.so." + std::to_string(LIBHEIF_NUMERIC_VERSION >> 24), BindLibheif);
}

}  // namespace pictray::meta
