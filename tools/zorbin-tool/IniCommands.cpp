// zorbin-tool ini: loads an INI file as the game does and prints every
// section with the lines the reader stored.
#include "ToolCommands.h"

#include "formats/QXINIFile.h"

#include <cstdio>

namespace zorbin::tool {

int IniCommand(const TArgs& arguments) {
  TArgs args = arguments;
  if (!TakeArchiveOptions(args)) return 1;
  if (args.size() != 1) return Fail("usage: ini NAME [--archive FILE]...");

  TWarningEcho echo;
  TIniFile ini(ResourceName(args[0]), true);
  for (const TIniSection& section : ini.Sections()) {
    std::printf("%s%s]\n", section.Type == stList ? "[*" : "[", section.Name.c_str());
    for (const std::string& line : section.Lines) std::printf("  %s\n", line.c_str());
  }
  return 0;
}

}  // namespace zorbin::tool
