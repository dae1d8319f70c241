#include "engine/journal/journal_format.h"

#include <cstdio>

namespace pictray {
namespace {

std::uint32_t Checksum(std::string_view text) {
  std::uint32_t h = 2166136261u;
  for (unsigned char c : text) h = (h ^ c) * 16777619u;
  return h;
}

}  // namespace

std::string JournalLine(const JournalRecord& record) {
  char sum[16];
  std::snprintf(sum, sizeof sum, "\t%08x\n", Checksum(record.body()));
  return record.body() + sum;
}

bool SplitLine(std::string_view line, std::vector<std::string>& fields) {
  const std::size_t tab = line.rfind('\t');
  if (tab == std::string_view::npos) return false;
  std::uint32_t sum = 0;
  const std::string_view sumText = line.substr(tab + 1);
  if (sumText.size() != 8) return false;
  const auto [end, ec] = std::from_chars(sumText.data(), sumText.data() + 8, sum, 16);
  if (ec != std::errc() || end != sumText.data() + 8) return false;
  std::string_view body = line.substr(0, tab);
  if (Checksum(body) != sum) return false;
  std::size_t count = 0;
  for (;;) {
    const std::size_t next = body.find('\t');
    if (count == fields.size()) fields.emplace_back();
    if (!UnescapeField(body.substr(0, next), fields[count++])) return false;
    if (next == std::string_view::npos) break;
    body.remove_prefix(next + 1);
  }
  fields.resize(count);
  return true;
}

}  // namespace pictray
