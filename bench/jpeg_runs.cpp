// Times the Exif date, size and NG runs on a folder of JPEG files next to
// the plain baselines they are measured against: reading the first 64 KiB
// of every file, and a loop that only calls jpeg_read_header.
// Usage: bench_jpeg_runs FOLDER   (prints "name seconds" lines)
#include <dirent.h>

#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "engine/fs/read_only_file.h"
#include "engine/runs/jpeg_runs.h"
#include "engine/settings/profile.h"
#include "tests/support/recording_host.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

std::vector<std::string> ListFiles(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(folder.c_str())) {
    while (dirent* e = ::readdir(d))
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    ::closedir(d);
  }
  return names;
}

struct Jump {
  jpeg_error_mgr pub;
  std::jmp_buf buf;
};
[[noreturn]] void JumpOut(j_common_ptr c) { std::longjmp(reinterpret_cast<Jump*>(c->err)->buf, 1); }

// The floor of the size run: open, jpeg_read_header, close.
std::size_t ReadHeaders(const std::string& folder, const std::vector<std::string>& names) {
  std::size_t ok = 0;
  for (const std::string& n : names) {
    std::FILE* f = std::fopen((folder + "/" + n).c_str(), "rb");
    if (!f) continue;
    jpeg_decompress_struct c;
    Jump err;
    c.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JumpOut;
    jpeg_create_decompress(&c);
    if (setjmp(err.buf) == 0) {
      jpeg_stdio_src(&c, f);
      jpeg_read_header(&c, TRUE);
      ok += c.image_width > 0;
    }
    jpeg_destroy_decompress(&c);
    std::fclose(f);
  }
  return ok;
}

std::size_t ReadFirst64K(const std::string& folder, const std::vector<std::string>& names) {
  std::vector<char> buf(65536);
  std::size_t total = 0;
  for (const std::string& n : names) {
    pictray::fs::ReadOnlyFile f(pictray::fs::DefaultEnv(), folder + "/" + n);
    total += f.ReadAt(0, buf.data(), buf.size());
  }
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const std::vector<std::string> names = ListFiles(folder);
  pictray::PictrayState st;
  st.profile = folder + ".ini";
  if (!pictray::WriteProfileString(*st.env, "Section0", "ExifSel", "7", st.profile) ||
      !pictray::WriteProfileString(*st.env, "Section0", "JlibCheck", "1", st.profile)) {
    std::fprintf(stderr, "cannot write %s\n", st.profile.c_str());
    return 1;
  }
  const auto fresh = [&] {
    st.rows.clear();
    std::vector<pictray::Row> rows;
    for (const std::string& n : names) rows.push_back({n, "", "", ""});
    st.rows.append(std::move(rows));
  };
  pictray::testing::RecordingHost host;
  std::printf("files %zu\n", names.size());

  auto t0 = Clock::now();
  ReadFirst64K(folder, names);
  std::printf("read_64k %.3f\n", Seconds(t0));

  fresh();
  t0 = Clock::now();
  st.blocks.val.Start(folder, 1);
  pictray::ThreadExDate(st.blocks.val, st, host, pictray::RunRegistry::Guard(st.runs));
  std::printf("exif_date_run %.3f\n", Seconds(t0));
  std::printf("exif_sample %s\n", st.rows.target(0).c_str());

  t0 = Clock::now();
  ReadHeaders(folder, names);
  std::printf("read_header_loop %.3f\n", Seconds(t0));

  fresh();
  t0 = Clock::now();
  st.blocks.val.Start(folder, 1);
  pictray::ThreadJpegImageSize(st.blocks.val, st, host, pictray::RunRegistry::Guard(st.runs));
  std::printf("size_run %.3f\n", Seconds(t0));

  fresh();
  t0 = Clock::now();
  st.blocks.val.Start(folder, 1);
  pictray::ThreadJpegIError(st.blocks.val, st, host, pictray::RunRegistry::Guard(st.runs));
  std::printf("ng_run_jlibcheck %.3f\n", Seconds(t0));
  std::remove(st.profile.c_str());
  return 0;
}
