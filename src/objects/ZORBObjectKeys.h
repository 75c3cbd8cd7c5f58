// ZORBObjectKeys: the keys several map objects read alike — positions,
// speeds and lengths in pixels or quarter pixels, and the "Bounds"
// rectangle. Values are held to a range far beyond the play area, so that
// an object file with absurd numbers cannot make the objects' quarter-pixel
// arithmetic overflow.
#pragma once

#include "log/Diagnostics.h"

#include <cstdint>
#include <string>

namespace zorbin {

class TIniFile;

// Anything beyond a million pixels (or quarter pixels) is off every
// surface; multiplied by 4 and summed a few times it still fits 32 bits.
constexpr int32_t kObjectValueLimit = 1 << 20;

// ReadInteger, held to -kObjectValueLimit .. kObjectValueLimit. A value
// outside is reported at Warning level (context: the caller's) and clamped.
int32_t ReadObjectValue(const TIniFile& ini, const std::string& section, const std::string& key, int32_t def,
                        const std::string& context);
// A value of key that the object does not take as it stands, reported as a
// bad value with the object's section, the key and its line.
void ReportBadValue(const TIniFile& ini, const std::string& section, const std::string& key, TSeverity severity,
                    const std::string& message, const std::string& context);
// A number converted with StrToInt (raising EConvertError on bad text),
// clamped like ReadObjectValue without a log line.
int32_t ObjectValue(const std::string& text);

struct TObjectBounds {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// "Bounds" (default "0,0,511,383"): a "," is appended and four integers
// are taken, each the text before the next comma. Fewer than four raise
// EConvertError; anything after the fourth is ignored.
TObjectBounds ReadObjectBounds(const TIniFile& ini, const std::string& section);

}  // namespace zorbin
