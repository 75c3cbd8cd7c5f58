// QXToolbox: the one set of string, number, path and random helpers used
// everywhere instead of raw libc. Strings are byte strings; case folding
// touches ASCII a-z only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zorbin {

class TStream;

// Letter case (ASCII only).
char UpCaseChar(char c);
char LowCaseChar(char c);
std::string UpperCase(const std::string& s);
std::string LowerCase(const std::string& s);
bool SameText(const std::string& a, const std::string& b);
bool StartsText(const std::string& prefix, const std::string& s);
bool EndsText(const std::string& suffix, const std::string& s);

// Numbers. StrToInt accepts an optional sign and decimal digits only and
// raises EConvertError ("'x' is not a valid integer value") otherwise.
std::string IntToStr(int64_t v);
std::string ZeroPad(int64_t v, int width);
std::string IntToHex(uint64_t v, int digits);
int32_t StrToInt(const std::string& s);
bool TryStrToInt(const std::string& s, int32_t& out);
int32_t StrToIntDef(const std::string& s, int32_t def);
// v / d rounded towards minus infinity (d > 0): positions left of or above
// the play area still fall in the cell they lie in.
constexpr int32_t FloorDiv(int32_t v, int32_t d) { return v >= 0 ? v / d : -((-v + d - 1) / d); }

// Whitespace (bytes <= ' ') trimming.
std::string Trim(const std::string& s);
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);

// Splits at every occurrence of sep; "a,,b" gives three parts.
std::vector<std::string> SplitString(const std::string& s, char sep);
// Lines of at most width characters (width > 0), broken at blanks; a word
// longer than a line is cut. No line for an empty text.
std::vector<std::string> WrapWords(const std::string& text, size_t width);

// Paths. Both "\" and "/" separate parts.
std::string ExtractFileName(const std::string& path);
std::string ExtractFilePath(const std::string& path);  // with trailing separator
std::string ExtractFileExt(const std::string& path);   // with the dot, or empty
// Appends ext when the file-name part of name has no extension.
std::string DefaultExtension(const std::string& name, const std::string& ext);

// Hexadecimal colour "RRGGBB" (an optional leading '#' or '$'); false when malformed.
bool HexToColor(const std::string& s, uint8_t& r, uint8_t& g, uint8_t& b);

// Reads one line ending in LF or CR LF (the end is not kept). Returns false
// at the end of the stream when nothing was read.
bool ReadLine(TStream& stream, std::string& line);

// The one random generator of the process. Random(n) is 0..n-1 (0 for n <= 0).
void RandSeed(uint32_t seed);
uint32_t RandSeedValue();
int32_t Random(int32_t n);

// A byte buffer left unfilled, for callers that write it before reading it
// (std::make_unique_for_overwrite is missing from some standard libraries
// we build with).
inline std::unique_ptr<uint8_t[]> UnfilledBytes(size_t count) { return std::unique_ptr<uint8_t[]>(new uint8_t[count]); }

}  // namespace zorbin
