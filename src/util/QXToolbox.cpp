// QXToolbox: string, number, path and random helpers.
#include "util/QXToolbox.h"

#include "util/Streams.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace zorbin {

char UpCaseChar(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }
char LowCaseChar(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

std::string UpperCase(const std::string& s) {
  std::string r = s;
  for (char& c : r) c = UpCaseChar(c);
  return r;
}

std::string LowerCase(const std::string& s) {
  std::string r = s;
  for (char& c : r) c = LowCaseChar(c);
  return r;
}

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpCaseChar(a[i]) != UpCaseChar(b[i])) return false;
  return true;
}

bool StartsText(const std::string& prefix, const std::string& s) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

bool EndsText(const std::string& suffix, const std::string& s) {
  return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

std::string IntToStr(int64_t v) { return std::to_string(v); }

std::string ZeroPad(int64_t v, int width) {
  std::string digits = std::to_string(v < 0 ? -v : v);
  std::string sign = v < 0 ? "-" : "";
  int pad = width - int(digits.size()) - int(sign.size());
  return sign + std::string(pad > 0 ? size_t(pad) : 0, '0') + digits;
}

std::string IntToHex(uint64_t v, int digits) {
  static const char* kHex = "0123456789ABCDEF";
  std::string r;
  do {
    r.insert(r.begin(), kHex[v & 15]);
    v >>= 4;
  } while (v != 0);
  while (int(r.size()) < digits) r.insert(r.begin(), '0');
  return r;
}

bool TryStrToInt(const std::string& s, int32_t& out) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
    negative = s[i] == '-';
    ++i;
  }
  if (i >= s.size()) return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1) return false;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min()) return false;
  out = int32_t(v);
  return true;
}

int32_t StrToInt(const std::string& s) {
  int32_t v = 0;
  if (!TryStrToInt(s, v)) throw EConvertError("'" + s + "' is not a valid integer value");
  return v;
}

int32_t StrToIntDef(const std::string& s, int32_t def) {
  int32_t v = 0;
  return TryStrToInt(s, v) ? v : def;
}

std::string TrimLeft(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && uint8_t(s[i]) <= ' ') ++i;
  return s.substr(i);
}

std::string TrimRight(const std::string& s) {
  size_t n = s.size();
  while (n > 0 && uint8_t(s[n - 1]) <= ' ') --n;
  return s.substr(0, n);
}

std::string Trim(const std::string& s) { return TrimLeft(TrimRight(s)); }

std::vector<std::string> SplitString(const std::string& s, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t p = s.find(sep, start);
    if (p == std::string::npos) {
      parts.push_back(s.substr(start));
      return parts;
    }
    parts.push_back(s.substr(start, p - start));
    start = p + 1;
  }
}

std::vector<std::string> WrapWords(const std::string& text, size_t width) {
  std::vector<std::string> lines;
  std::string rest = TrimLeft(text);
  while (!rest.empty() && width > 0) {
    size_t cut = rest.size() <= width ? rest.size() : rest.rfind(' ', width);
    if (cut == std::string::npos || cut == 0) cut = std::min(width, rest.size());
    lines.push_back(TrimRight(rest.substr(0, cut)));
    rest = TrimLeft(rest.substr(cut));
  }
  return lines;
}

static size_t LastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

std::string ExtractFileName(const std::string& path) {
  size_t p = LastSeparator(path);
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtractFilePath(const std::string& path) {
  size_t p = LastSeparator(path);
  return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string ExtractFileExt(const std::string& path) {
  std::string name = ExtractFileName(path);
  size_t p = name.rfind('.');
  return p == std::string::npos ? std::string() : name.substr(p);
}

std::string DefaultExtension(const std::string& name, const std::string& ext) {
  return ExtractFileExt(name).empty() ? name + ext : name;
}

static int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = UpCaseChar(c);
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool HexToColor(const std::string& text, uint8_t& r, uint8_t& g, uint8_t& b) {
  std::string s = Trim(text);
  if (!s.empty() && (s[0] == '#' || s[0] == '$')) s = s.substr(1);
  if (s.size() != 6) return false;
  int v[6];
  for (int i = 0; i < 6; ++i)
    if ((v[i] = HexDigit(s[size_t(i)])) < 0) return false;
  r = uint8_t(v[0] * 16 + v[1]);
  g = uint8_t(v[2] * 16 + v[3]);
  b = uint8_t(v[4] * 16 + v[5]);
  return true;
}

bool ReadLine(TStream& stream, std::string& line) {
  line.clear();
  bool any = false;
  char c;
  while (stream.Read(&c, 1) == 1) {
    any = true;
    if (c == '\n') break;
    line.push_back(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return any;
}

// A small, fast and fully reproducible generator (xorshift32), so seeded
// runs give the same game on every machine.
static uint32_t gRandState = 0x2545F491u;
static uint32_t gRandSeed = 0;

void RandSeed(uint32_t seed) {
  gRandSeed = seed;
  gRandState = seed ^ 0x2545F491u;
  if (gRandState == 0) gRandState = 0x2545F491u;
}

uint32_t RandSeedValue() { return gRandSeed; }

int32_t Random(int32_t n) {
  if (n <= 0) return 0;
  gRandState ^= gRandState << 13;
  gRandState ^= gRandState >> 17;
  gRandState ^= gRandState << 5;
  return int32_t((uint64_t(gRandState) * uint64_t(n)) >> 32);
}

}  // namespace zorbin
