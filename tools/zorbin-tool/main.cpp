// zorbin-tool: the map-pack author's kit (archives, pictures, maps, INI).
#include "ToolCommands.h"

#include "app/Units.h"
#include "log/Logger.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <map>
#include <string>

namespace zorbin::tool {

int Fail(const std::string& message) {
  std::fprintf(stderr, "zorbin-tool: %s\n", message.c_str());
  return 1;
}

std::string ArchiveName(const std::string& name) {
  std::string r = name;
  std::replace(r.begin(), r.end(), '/', '\\');
  return r;
}

struct TCommand {
  int (*run)(const TArgs&);
  const char* usage;
};

static const std::map<std::string, TCommand>& Commands() {
  static const std::map<std::string, TCommand> commands = {
      {"list", {ArchiveList, "ARCHIVE"}},
      {"chunks", {ArchiveChunks, "ARCHIVE"}},
      {"cat", {ArchiveCat, "ARCHIVE NAME"}},
      {"extract", {ArchiveExtract, "ARCHIVE DIR"}},
      {"pack", {ArchivePack, "ARCHIVE DIR [--store|--zlib|--best]"}},
      {"add", {ArchiveAdd, "ARCHIVE FILE NAME"}},
      {"remove", {ArchiveRemove, "ARCHIVE NAME"}},
      {"append", {ArchiveAppend, "HOST ARCHIVE OUT"}},
      {"check", {CheckCommand, "[ARCHIVE|FOLDER]"}},
      {"ini", {IniCommand, "NAME [--archive FILE]..."}},
      {"map", {MapCommand, "NAME [--save OUT MODE] [--archive FILE]..."}},
      {"picture", {PictureCommand, "NAME OUT [--archive FILE] [--scale N]"}},
      {"qxr", {QxrCommand, "SOURCE OUT"}},
      {"render", {RenderCommand, "ARCHIVE|FOLDER MAP OUT.png [--frame N] [--values] [--seed N]"}},
      {"tga", {TgaCommand, "XPM OUT [--id HEXBYTES] [--vstack] [--glyphs FILE]"}},
  };
  return commands;
}

static int Usage() {
  std::fprintf(stderr, "usage: zorbin-tool COMMAND ARGS... | --version\n");
  for (const auto& [name, command] : Commands()) std::fprintf(stderr, "  %s %s\n", name.c_str(), command.usage);
  return 1;
}

}  // namespace zorbin::tool

int main(int argc, char** argv) {
  using namespace zorbin;
  using namespace zorbin::tool;
  if (argc < 2) return Usage();
  if (std::string(argv[1]) == "--version") {
    std::printf("zorbin-tool %s\n", ZORBIN_VERSION);
    return 0;
  }
  auto it = Commands().find(argv[1]);
  if (it == Commands().end()) return Usage();
  // The tool keeps no log file of its own unless asked.
  std::vector<std::string> params = {argv[0], "-nolog"};
  InitializeUnits(params);
  int code = 1;
  try {
    code = it->second.run(TArgs(argv + 2, argv + argc));
  } catch (const std::exception& e) {
    code = Fail(e.what());
  }
  FinalizeUnits();
  return code;
}
