// libavformat and libheif bring their codecs, over a hundred libraries
// whose loading outweighed a whole run over a folder of stills: they are
// loaded at the first file that needs them, and stay.
#pragma once

#include <libheif/heif.h>

extern "C" {
#include <libavformat/avformat.h>
}

namespace pictray::meta {

struct Avformat {
  decltype(&avformat_alloc_context) allocContext = nullptr;
  decltype(&avio_alloc_context) ioAllocContext = nullptr;
  decltype(&avio_context_free) ioContextFree = nullptr;
  decltype(&av_malloc) alloc = nullptr;
  decltype(&av_freep) freep = nullptr;
  decltype(&avformat_open_input) openInput = nullptr;
  decltype(&avformat_close_input) closeInput = nullptr;
  decltype(&av_find_input_format) findInputFormat = nullptr;
  decltype(&av_dict_get) dictGet = nullptr;
};

struct Libheif {
  decltype(&heif_context_alloc) contextAlloc = nullptr;
  decltype(&heif_context_free) contextFree = nullptr;
  decltype(&heif_context_read_from_reader) readFromReader = nullptr;
  decltype(&heif_context_get_primary_image_handle) primaryHandle = nullptr;
  decltype(&heif_image_handle_release) handleRelease = nullptr;
  decltype(&heif_image_handle_get_ispe_width) codedWidth = nullptr;
  decltype(&heif_image_handle_get_ispe_height) codedHeight = nullptr;
  decltype(&heif_image_handle_get_list_of_metadata_block_IDs) metadataIds = nullptr;
  decltype(&heif_image_handle_get_metadata_size) metadataSize = nullptr;
  decltype(&heif_image_handle_get_metadata) metadata = nullptr;
};

// The functions of each library, bound at the first call; nullptr when the
// library or one of its functions is missing.
const Avformat* LoadAvformat();
const Libheif* LoadLibheif();

}  // namespace pictray::meta
