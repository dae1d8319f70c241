#include "engine/journal/journal_format.h"

#include <cstdio>

namespace pictray {
namespace {

std::uint32_t Checksum(const std::string& text) {
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

bool SplitLine(const std::string& line, std::vector<std::string>& fields) {
  const std::size_t tab = line.rfind('\t');
  if (tab == std::string::npos) return false;
  std::uint32_t sum = 0;
  const std::string sumText = line.substr(tab + 1);
  if (sumText.size() != 8) return false;
  const auto [end, ec] = std::from_chars(sumText.data(), sumText.data() + 8, sum, 16);
  if (ec != std::errc() || end != sumText.data() + 8) return false;
  const std::string body = line.substr(0, tab);
  if (Checksum(body) != sum) return false;
  fields.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t next = body.find('\t', start);
    std::string field;
    if (!UnescapeField(body.substr(start, next == std::string::npos ? std::string::npos : next - start), field))
      return false;
    fields.push_back(std::move(field));
    if (next == std::string::npos) return true;
    start = next + 1;
  }
}

}  // namespace pictray
