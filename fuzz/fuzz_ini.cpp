// Fuzz target: the INI reader and its look-ups on arbitrary bytes.
#include "formats/QXINIFile.h"
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "util/Streams.h"

#include <cstdint>

using namespace zorbin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!Log) {
    Parameters = std::make_unique<TParameters>(std::vector<std::string>{"fuzz_ini", "-nolog"});
    Log = std::make_unique<TLogger>("", false);
  }
  TMemoryStream stream(std::vector<uint8_t>(data, data + size));
  TIniFile ini(stream);
  for (const TIniSection& section : ini.Sections()) {
    if (section.Type == stList) {
      int count = ini.ListItemCount(section.Name);
      if (count > 0) ini.ReadListItem(section.Name, count - 1);
      ini.ReadListItem(section.Name, count);
      continue;
    }
    for (const std::string& line : section.Lines) {
      std::string key = line.substr(0, line.find('='));
      ini.ReadString(section.Name, key, "", section.Name);
      ini.ValueExists(section.Name, key);
      try {
        ini.ReadInteger(section.Name, key, 0);
      } catch (const EConvertError&) {
      }
      ini.ReadBool(section.Name, key, false);
    }
  }
  return 0;
}
