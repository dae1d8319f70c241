#include "engine/names/name_date.h"

#include <cstdio>
#include <cstring>

namespace pictray {
namespace {

bool Digit(std::string_view s, std::size_t at) { return at < s.size() && s[at] >= '0' && s[at] <= '9'; }

// The number of the `n` digits at `at`, or -1 when they are not all digits.
int Number(std::string_view s, std::size_t at, std::size_t n) {
  int v = 0;
  for (std::size_t i = at; i < at + n; ++i) {
    if (!Digit(s, i)) return -1;
    v = v * 10 + (s[i] - '0');
  }
  return v;
}

std::size_t DigitRun(std::string_view s, std::size_t at) {
  std::size_t n = 0;
  while (Digit(s, at + n)) ++n;
  return n;
}

bool Separator(const char* allowed, char c) { return c != '\0' && std::strchr(allowed, c); }

bool RealDay(int y, int m, int d) {
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1970 || y > 2099 || m < 1 || m > 12 || d < 1 || d > kDays[m - 1]) return false;
  return m != 2 || d < 29 || (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0));
}

struct Stamp {
  int y = 0, mo = 0, d = 0, h = -1, mi = 0, s = 0;
  std::size_t end = 0;  // just past what was read
};

// A date at `at`, where a run of digits starts.
std::optional<Stamp> DateAt(std::string_view name, std::size_t at) {
  Stamp t;
  if (DigitRun(name, at) == 8) {
    t = {Number(name, at, 4), Number(name, at + 4, 2), Number(name, at + 6, 2)};
    t.end = at + 8;
  } else if (DigitRun(name, at) == 4 && at + 10 <= name.size() && Separator("-_.", name[at + 4]) &&
             name[at + 7] == name[at + 4] && DigitRun(name, at + 5) == 2 && DigitRun(name, at + 8) == 2) {
    t = {Number(name, at, 4), Number(name, at + 5, 2), Number(name, at + 8, 2)};
    t.end = at + 10;
  } else {
    return std::nullopt;
  }
  if (!RealDay(t.y, t.mo, t.d)) return std::nullopt;
  return t;
}

// A time after the date that ends at t.end, kept in t when there is one.
void TimeAfter(std::string_view name, Stamp& t) {
  std::size_t p = t.end;
  if (name.substr(p, 4) == " at ")
    p += 4;
  else if (p < name.size() && Separator(" _-T", name[p]))
    p += 1;
  else
    return;
  int h, mi, s;
  const std::size_t run = DigitRun(name, p);
  if (run == 6 || run == 9) {  // HHMMSS, milliseconds after it
    h = Number(name, p, 2), mi = Number(name, p + 2, 2), s = Number(name, p + 4, 2);
  } else if (run == 2 && p + 8 <= name.size() && Separator(".-_:", name[p + 2]) &&
             name[p + 5] == name[p + 2] && DigitRun(name, p + 3) == 2 && DigitRun(name, p + 6) == 2) {
    h = Number(name, p, 2), mi = Number(name, p + 3, 2), s = Number(name, p + 6, 2);
  } else {
    return;
  }
  if (h > 23 || mi > 59 || s > 59) return;
  t.h = h, t.mi = mi, t.s = s;
}

}  // namespace

std::optional<std::string> DateFromName(std::string_view name) {
  for (std::size_t at = 0; at < name.size(); ++at) {
    if (!Digit(name, at) || (at > 0 && Digit(name, at - 1))) continue;
    std::optional<Stamp> t = DateAt(name, at);
    if (!t) continue;
    TimeAfter(name, *t);
    char text[80];  // room for any int the fields could hold
    if (t->h < 0)
      std::snprintf(text, sizeof text, "%04d:%02d:%02d", t->y, t->mo, t->d);
    else
      std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", t->y, t->mo, t->d, t->h, t->mi, t->s);
    return std::string(text);
  }
  return std::nullopt;
}

std::optional<std::string> DateOfFileTime(std::time_t time) {
  std::tm local{};
  if (!localtime_r(&time, &local)) return std::nullopt;
  char text[32];
  if (std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &local) != 19) return std::nullopt;
  return std::string(text);
}

}  // namespace pictray
