// libFuzzer target: macro files. The input's first line is the "Values"
// text of a MACRO section, the rest is the macro file; every line is filled
// in as the map set-up does it, the result is read as an INI file and its
// object list walked. A line without "%" must come back unchanged, and no
// line may grow by more than its placeholders can hold.
#include "formats/QXINIFile.h"
#include "game/ZORBObjectFactory.h"
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "util/QXToolbox.h"
#include "util/Streams.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace zorbin;
  Parameters = std::make_unique<TParameters>(std::vector<std::string>{"fuzz_macro", "-nolog"});
  Log = std::make_unique<TLogger>("", false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorbin;
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t eol = input.find('\n');
  std::string valuesText = input.substr(0, eol);
  std::string body = eol == std::string::npos ? std::string() : input.substr(eol + 1);

  std::vector<std::string> values = SplitMacroValues(valuesText);
  size_t commas = size_t(std::count(valuesText.begin(), valuesText.end(), ','));
  if (valuesText.empty() ? !values.empty() : values.size() != commas + 1 && values.size() != commas) std::abort();
  size_t longest = 0;
  for (const std::string& v : values) longest = std::max(longest, v.size());

  TMemoryStream file(std::vector<uint8_t>(body.begin(), body.end()));
  TMemoryStream expanded;
  std::string line;
  while (file.Position() < file.Size() && ReadLine(file, line)) {
    std::vector<std::string> warnings;
    std::string out = ExpandMacroLine(line, values, warnings);
    size_t placeholders = size_t(std::count(line.begin(), line.end(), '%'));
    if (placeholders == 0 && (out != line || !warnings.empty())) std::abort();
    if (out.size() > line.size() + placeholders * longest) std::abort();
    expanded.WriteString(out + "\r\n");
  }
  expanded.SetPosition(0);
  TIniFile macro(expanded);
  int count = macro.ListItemCount("Objects");
  for (int i = 0; i < count; ++i) {
    std::string section = macro.ReadListItem("Objects", i);
    macro.ReadString(section, "Type", "Unknown", "");
  }
  return 0;
}
