// Small files that once cost the libraries a crash, gigabytes or minutes,
// written by the tests themselves, and a child process to read them in.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <csignal>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>

namespace pictray::testing {

inline void PutLittle(std::string& s, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += char(v >> (8 * i) & 0xFF);
}
inline void PutBig(std::string& s, std::uint64_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) s += char(v >> (8 * i) & 0xFF);
}

// A box: size, type, body.
inline std::string Box(const std::string& type, const std::string& body) {
  std::string b;
  PutBig(b, 8 + body.size(), 4);
  return b + type + body;
}

inline std::string Cr3Start() { return Box("ftyp", std::string("crx \0\0\0\1crx isom", 16)); }

// A CRW whose root heap holds `levels` heaps, each inside the one before.
inline std::string DeepCrw(int levels) {
  std::string f("II\x1A\0\0\0HEAPCCDR\x02\0\x01\0\0\0\0\0\0\0\0\0", 26);
  std::string heap("\0\0\0\0\0\0", 6);  // no entries; the directory at 0
  for (int i = 0; i < levels; ++i) {
    const std::uint32_t inner = static_cast<std::uint32_t>(heap.size());
    PutLittle(heap, 1, 2);
    PutLittle(heap, 0x300A, 2);  // a heap in the heap
    PutLittle(heap, inner, 4);
    PutLittle(heap, 0, 4);
    PutLittle(heap, inner, 4);  // the directory's offset
  }
  return f + heap;
}

// A CR3 whose "moov" holds `levels` more, each inside the one before.
inline std::string NestedCr3(int levels) {
  std::string f = Cr3Start();
  for (int i = 0; i < levels; ++i) {
    PutBig(f, 8 * std::uint64_t(levels - i), 4);
    f += "moov";
  }
  return f;
}

// A PNG chunk with its checksum.
inline std::string PngChunk(const std::string& type, const std::string& data) {
  std::string c;
  PutBig(c, data.size(), 4);
  c += type + data;
  PutBig(c, crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(c.data() + 4), uInt(c.size() - 4)), 4);
  return c;
}

// The signature and the header of a 1 x 1 RGB picture.
inline std::string PngStart() {
  return std::string("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", std::string("\0\0\0\1\0\0\0\1\x08\x02\0\0\0", 13));
}

// 80 bytes, a text chunk among them claiming 2 GiB.
inline std::string PngClaimingHugeText() {
  std::string f = PngStart();
  PutBig(f, 0x7FFFFFFF, 4);
  return f + "tEXtComment" + std::string(80 - f.size() - 11, 'x');
}

// The file at `path` made `size` bytes long, the rest zeros (a file system
// stores them as a hole).
inline bool PadWithZeros(const std::string& path, std::uint64_t size) {
  return ::truncate(path.c_str(), static_cast<off_t>(size)) == 0;
}

// "" when `read` answers true in a child process within ten seconds of CPU
// (a guard against a hang, the files take milliseconds; they once took from
// ten seconds to forever) and, without a sanitizer
// (whose shadow and quarantine count too), `maxMiB` more memory than the
// child started with; else what happened.
inline std::string InChildProcess(const std::function<bool()>& read, long maxMiB = 256) {
  const pid_t pid = ::fork();
  if (pid < 0) return "no child";
  if (pid == 0) {
    // A crash ends the child; a test framework's own handler would not.
    for (const int sig : {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL, SIGXCPU}) std::signal(sig, SIG_DFL);
    const rlimit cpu{10, 11};  // SIGXCPU first
    ::setrlimit(RLIMIT_CPU, &cpu);
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak is counted from here
    const auto kib = [](const char* field) {
      std::ifstream status("/proc/self/status");
      for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
      return 0L;
    };
    const long before = kib("VmRSS:");
    const bool ok = read();
    const long grew = kib("VmHWM:") - before;
#if defined(__SANITIZE_ADDRESS__)
    (void)maxMiB;
    (void)grew;
    ::_exit(ok ? 0 : 1);
#else
    ::_exit(!ok ? 1 : grew > maxMiB * 1024 ? 2 : 0);
#endif
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return "lost the child";
  if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
  if (WEXITSTATUS(status) == 1) return "wrong answer";
  if (WEXITSTATUS(status) == 2) return "more than " + std::to_string(maxMiB) + " MiB";
  return "";
}

}  // namespace pictray::testing
