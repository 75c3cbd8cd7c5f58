// ZORBObjectKeys: clamped numbers and the bounds rectangle of object files.
#include "objects/ZORBObjectKeys.h"

#include "formats/QXINIFile.h"
#include "util/QXToolbox.h"

#include <algorithm>

namespace zorbin {

static int32_t Clamp(int32_t v) { return std::clamp(v, -kObjectValueLimit, kObjectValueLimit); }

int32_t ReadObjectValue(const TIniFile& ini, const std::string& section, const std::string& key, int32_t def,
                        const std::string& context) {
  int32_t v = ini.ReadInteger(section, key, def, "");
  int32_t held = Clamp(v);
  if (held != v)
    ReportBadValue(ini, section, key, TSeverity::Warning,
                   "Value out of range, using " + IntToStr(held) + ". (Object: " + section + ", Key: " + key + ")",
                   context);
  return held;
}

void ReportBadValue(const TIniFile& ini, const std::string& section, const std::string& key, TSeverity severity,
                    const std::string& message, const std::string& context) {
  Report({.Kind = TDiagnosticKind::BadValue,
          .Severity = severity,
          .Message = message,
          .Context = context,
          .Object = section,
          .Key = key,
          .Line = ini.KeyLine(section, key)});
}

int32_t ObjectValue(const std::string& text) { return Clamp(StrToInt(text)); }

TObjectBounds ReadObjectBounds(const TIniFile& ini, const std::string& section) {
  std::vector<std::string> parts = SplitString(ini.ReadString(section, "Bounds", "0,0,511,383", "") + ",", ',');
  // The appended comma makes the last given number end like the others; a
  // missing number is the empty text, which does not convert.
  auto part = [&](size_t i) { return ObjectValue(i < parts.size() ? parts[i] : std::string()); };
  TObjectBounds b;
  b.Left = part(0);
  b.Top = part(1);
  b.Right = part(2);
  b.Bottom = part(3);
  return b;
}

}  // namespace zorbin
